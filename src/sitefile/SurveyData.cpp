// The survey data section written from the store, point by point.
#include "SurveyData.h"

#include "ByteOrder.h"
#include "SiteFormat.h"

namespace marlow {

namespace {

class PointWriter {
public:
    explicit PointWriter(std::vector<std::uint8_t>& out) : m_out(out) {}

    void open(const SurveyRecord& record) {
        close();
        m_at = m_out.size();
        m_x = record.x;
        m_y = record.y;
        m_count = 0;
        m_open = true;
        m_out.resize(m_at + StoredPointRecordSize);
        encodePointRecord(m_out.data() + m_at, record, 0);
    }

    // The count is written back into the point record once it is known.
    void close() {
        if (m_open)
            writeU16(m_out.data() + m_at + 40, m_count);
        m_open = false;
    }

    void addAp(const SurveyRecord& record) {
        const std::size_t at = m_out.size();
        m_out.resize(at + StoredApRecordSize);
        encodeApRecord(m_out.data() + at, record);
        ++m_count;
    }

    bool samePosition(const SurveyRecord& record) const {
        return m_open && record.x == m_x && record.y == m_y;
    }

    // The count field is 16 bits wide; a longer run goes on in a new point
    // record at the same position, which loads back as the same point.
    bool full() const { return m_count == UINT16_MAX; }

private:
    std::vector<std::uint8_t>& m_out;
    std::size_t m_at = 0;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::uint16_t m_count = 0;
    bool m_open = false;
};

} // namespace

std::vector<std::uint8_t> encodeSurveyData(const RecordList& store, SplitRule rule) {
    std::vector<std::uint8_t> out(DataSizesLength);
    out.reserve(DataSizesLength + store.size() * (StoredPointRecordSize + StoredApRecordSize));
    writeU32(out.data(), StoredPointRecordSize);
    writeU32(out.data() + 4, StoredApRecordSize);

    PointWriter point(out);
    for (const SurveyRecord& record : store) {
        const bool placeholder = isPlaceholder(record);
        bool startsPoint = !point.samePosition(record) || point.full();
        if (rule == SplitRule::SaveSiteData && placeholder)
            startsPoint = true;
        if (startsPoint)
            point.open(record);
        if (rule == SplitRule::FullRewrite || !placeholder)
            point.addAp(record);
    }
    point.close();
    return out;
}

} // namespace marlow
