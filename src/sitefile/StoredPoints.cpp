// Reading the survey data section in pieces: one pass counts the records
// without keeping any, a second decodes them into a list of their own.
#include "StoredPoints.h"

#include "FileIo.h"
#include "SiteFormat.h"

#include <algorithm>
#include <cstring>

namespace marlow {

namespace {

// The section is read through one buffer of this size.
constexpr std::size_t PieceSize = std::size_t{1} << 20;

// A forward reader over the section.
class Cursor {
public:
    explicit Cursor(const DataSection& section)
        : m_fd(section.fd), m_at(section.begin), m_end(section.end) {}

    bool holds(std::uint64_t size) const { return m_end - m_at >= size; }
    bool atEnd() const { return m_at == m_end; }
    void skip(std::uint64_t size) { m_at += size; }

    // The leading length bytes of the next record, of size bytes, which the
    // section holds; moves past the record.
    SiteResult<const std::uint8_t*> take(std::size_t length, std::uint64_t size) {
        if (m_at + length > m_pieceAt + m_pieceLength)
            if (SiteResult<> filled = fill(); !filled)
                return fail(filled.error());
        const std::uint8_t* bytes = m_piece.data() + (m_at - m_pieceAt);
        m_at += size;
        return bytes;
    }

private:
    SiteResult<> fill() {
        m_piece.resize(PieceSize);
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(PieceSize, m_end - m_at));
        const Result<std::size_t> got = readAt(m_fd, m_piece.data(), wanted, m_at);
        if (!got)
            return fail(cannotOpenError(got.error().systemError));
        // The file was shortened while it was read.
        if (*got < wanted)
            return fail(damagedError("the survey data is cut short."));
        m_pieceAt = m_at;
        m_pieceLength = wanted;
        return {};
    }

    int m_fd;
    std::uint64_t m_at;
    std::uint64_t m_end;
    std::vector<std::uint8_t> m_piece;
    std::uint64_t m_pieceAt = 0;
    std::size_t m_pieceLength = 0;
};

// Walks the section's complete records: visitor.point for each point
// record, visitor.ap for each of its access-point records (with their bytes
// only when readAps; otherwise they are skipped unread), visitor.pointEnd
// after them. The visitor stops the walk by returning false. The result:
// whether the section ends inside a record.
template <typename Visitor>
SiteResult<bool> walk(const DataSection& section, bool readAps, Visitor& visitor) {
    Cursor cursor(section);
    while (cursor.holds(section.pointSize)) {
        const SiteResult<const std::uint8_t*> record =
            cursor.take(StoredPointRecordSize, section.pointSize);
        if (!record)
            return fail(record.error());
        const StoredPoint point = decodePointRecord(*record);
        if (!visitor.point(point))
            return false;
        for (std::uint32_t i = 0; i < point.apCount; ++i) {
            if (!cursor.holds(section.apSize)) {
                visitor.pointEnd();
                return true;
            }
            const std::uint8_t* ap = nullptr;
            if (readAps) {
                const SiteResult<const std::uint8_t*> bytes =
                    cursor.take(StoredApRecordSize, section.apSize);
                if (!bytes)
                    return fail(bytes.error());
                ap = *bytes;
            } else {
                cursor.skip(section.apSize);
            }
            if (!visitor.ap(ap))
                return false;
        }
        visitor.pointEnd();
    }
    return !cursor.atEnd();
}

// Counts the records a load would keep, stopping past the limit.
struct Counter {
    std::uint64_t records = 0;
    std::uint64_t points = 0;

    bool point(const StoredPoint& point) {
        ++points;
        if (point.apCount == 0)
            ++records;
        return records <= MaxStoredRecords;
    }
    bool ap(const std::uint8_t*) { return ++records <= MaxStoredRecords; }
    void pointEnd() {}
};

// Decodes the records into the list, with each point's mark.
class Loader {
public:
    explicit Loader(StoredPoints& out) : m_out(out) {}

    bool point(const StoredPoint& point) {
        m_point = point;
        m_best = NoSignalRssi;
        m_loaded = 0;
        // The records of this point: its position and name, then each
        // access point's fields decoded over the previous one's.
        m_record = SurveyRecord{};
        m_record.x = point.x;
        m_record.y = point.y;
        std::memcpy(m_record.pointName, point.name, sizeof m_record.pointName);
        if (point.apCount > 0)
            return true;
        // A point where nothing was heard loads as one placeholder.
        if (!keep(
                placeholderRecord(point.x, point.y, textOf(point.name), "", LoadedPlaceholderRssi)))
            return false;
        m_out.marks.push_back({point.x, point.y, NoSignalRssi, 1});
        return true;
    }

    bool ap(const std::uint8_t* bytes) {
        decodeApRecord(bytes, m_record);
        if (!keep(m_record))
            return false;
        m_best = std::max<int>(m_best, m_record.rssi);
        ++m_loaded;
        return true;
    }

    // A point none of whose records arrived gets no mark: nothing of it
    // was loaded.
    void pointEnd() {
        if (m_point.apCount > 0 && m_loaded > 0)
            m_out.marks.push_back({m_point.x, m_point.y, m_best, m_loaded});
    }

    bool outOfMemory() const { return m_outOfMemory; }

private:
    bool keep(const SurveyRecord& record) {
        if (m_out.records->appendCopy(record) != RecordList::Ok) {
            m_outOfMemory = true;
            return false;
        }
        // A record at another position than the one before starts a point.
        if (m_out.records->size() == 1 || record.x != m_lastX || record.y != m_lastY)
            ++m_out.pointCount;
        m_lastX = record.x;
        m_lastY = record.y;
        return true;
    }

    StoredPoints& m_out;
    StoredPoint m_point;
    SurveyRecord m_record;
    int m_best = NoSignalRssi;
    std::uint32_t m_loaded = 0;
    std::int32_t m_lastX = 0;
    std::int32_t m_lastY = 0;
    bool m_outOfMemory = false;
};

} // namespace

SiteResult<StoredPoints> readStoredPoints(const DataSection& section) {
    // Every record the section holds, but for one cut short, takes at most
    // a point record and an access-point record: a section larger than the
    // limit's worth of those is refused unread.
    const std::uint64_t perRecord = std::uint64_t{section.pointSize} + section.apSize;
    if ((section.end - section.begin) / perRecord > MaxStoredRecords + 1)
        return fail(tooLargeError(MaxStoredRecords));

    Counter counter;
    if (const SiteResult<bool> counted = walk(section, false, counter); !counted)
        return fail(counted.error());
    if (counter.records > MaxStoredRecords)
        return fail(tooLargeError(MaxStoredRecords));

    StoredPoints points;
    points.marks.reserve(static_cast<std::size_t>(counter.points));
    Loader loader(points);
    const SiteResult<bool> loaded = walk(section, true, loader);
    if (!loaded)
        return fail(loaded.error());
    if (loader.outOfMemory())
        return fail(outOfMemoryError());
    points.endsEarly = *loaded;
    return points;
}

} // namespace marlow
