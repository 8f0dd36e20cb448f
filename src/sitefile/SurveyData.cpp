// The survey data section written from the store, point by point.
#include "SurveyData.h"

#include "ByteOrder.h"
#include "SiteFormat.h"

namespace marlow {

namespace {

// Whether the rule writes the record as an access-point record.
bool writesAp(const SurveyRecord& record, SplitRule rule) {
    return rule == SplitRule::FullRewrite || !isPlaceholder(record);
}

} // namespace

void forEachStoredPoint(const RecordList& store, SplitRule rule,
                        const std::function<void(PointRecords)>& visit) {
    auto first = store.begin();
    std::uint32_t apCount = 0;
    for (auto at = store.begin(); at != store.end(); ++at) {
        // The count field is 16 bits wide; a longer run goes on in a new
        // point record at the same position, which loads back as the same
        // point.
        const bool startsPoint = at == store.begin() || at->x != first->x || at->y != first->y ||
                                 apCount == UINT16_MAX ||
                                 (rule == SplitRule::SaveSiteData && isPlaceholder(*at));
        if (startsPoint) {
            if (at != store.begin())
                visit({first, at});
            first = at;
            apCount = 0;
        }
        if (writesAp(*at, rule))
            ++apCount;
    }
    if (!store.empty())
        visit({first, store.end()});
}

void appendStoredPoint(std::vector<std::uint8_t>& out, PointRecords point, SplitRule rule) {
    const std::size_t pointAt = out.size();
    out.resize(pointAt + StoredPointRecordSize);
    std::uint16_t apCount = 0;
    for (auto at = point.begin; at != point.end; ++at) {
        if (!writesAp(*at, rule))
            continue;
        const std::size_t apAt = out.size();
        out.resize(apAt + StoredApRecordSize);
        encodeApRecord(out.data() + apAt, *at);
        ++apCount;
    }
    encodePointRecord(out.data() + pointAt, *point.begin, apCount);
}

std::vector<std::uint8_t> encodeSurveyData(const RecordList& store, SplitRule rule) {
    std::vector<std::uint8_t> out(DataSizesLength);
    out.reserve(DataSizesLength + store.size() * (StoredPointRecordSize + StoredApRecordSize));
    writeU32(out.data(), StoredPointRecordSize);
    writeU32(out.data() + 4, StoredApRecordSize);
    forEachStoredPoint(store, rule,
                       [&](PointRecords point) { appendStoredPoint(out, point, rule); });
    return out;
}

} // namespace marlow
