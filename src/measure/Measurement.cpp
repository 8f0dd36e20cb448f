// Committing a scan, selecting the nearest stored point, removing it.
#include "Measurement.h"

#include <cstring>
#include <iterator>
#include <vector>

namespace marlow {

namespace {

// Squared distances: the search starts below 5000, a hit must be within
// 3200 (a radius of about 56.6 picture pixels).
constexpr std::int64_t SearchBound = 5000;
constexpr std::int64_t SelectionRadiusSquared = 3200;

bool atSelection(const SurveyRecord& r, const SiteState& site) {
    return r.x == site.selX && r.y == site.selY;
}

} // namespace

bool commitScan(SiteState& site, const SharedRecordList& scan, RecordList& store) {
    std::vector<SurveyRecord> records = scan.withLock([&](const RecordList& heard) {
        std::vector<SurveyRecord> made;
        made.reserve(heard.size());
        for (const SurveyRecord& ap : heard) {
            SurveyRecord& r = made.emplace_back();
            r.channel = ap.channel;
            std::memcpy(r.macText, ap.macText, sizeof r.macText);
            std::memcpy(r.macAddr, ap.macAddr, sizeof r.macAddr);
            std::memcpy(r.ssid, ap.ssid, sizeof r.ssid);
            r.rssi = averageRssi(ap);
            r.x = site.newX;
            r.y = site.newY;
            std::memcpy(r.pointName, site.newName, sizeof r.pointName);
        }
        return made;
    });
    const bool heard = !records.empty();
    if (!heard)
        records.push_back(placeholderRecord(site.newX, site.newY, CommittedPlaceholderText,
                                            CommittedPlaceholderText, CommittedPlaceholderRssi));
    storeCommittedPoint(site, records, heard, store);
    return heard;
}

void storeCommittedPoint(SiteState& site, std::span<const SurveyRecord> records, bool heard,
                         RecordList& store) {
    site.lastBestRssi = CommitBestRssiFloor;
    // Without memory for its records the point is still counted, as taken.
    site.locationCount += 1;
    for (const SurveyRecord& r : records) {
        if (store.appendCopy(r) != RecordList::Ok)
            break;
        if (!heard)
            continue;
        site.apRecordCount += 1;
        if (r.rssi > site.lastBestRssi)
            site.lastBestRssi = static_cast<std::int16_t>(r.rssi);
    }
}

bool selectNearestPoint(SiteState& site, const RecordList& store, std::int32_t mx,
                        std::int32_t my) {
    std::int64_t best = SearchBound;
    std::int32_t bestIndex = 0;
    RecordList::const_iterator bestAt = store.end();
    std::int32_t index = 0;
    for (auto it = store.begin(); it != store.end(); ++it) {
        ++index;
        const std::int64_t dx = std::int64_t{it->x} - mx;
        const std::int64_t dy = std::int64_t{it->y} - my;
        const std::int64_t d = dx * dx + dy * dy;
        if (d < best) {
            best = d;
            bestIndex = index;
            bestAt = it;
        }
    }
    if (bestAt == store.end() || best > SelectionRadiusSquared)
        return false;

    site.selFirstIndex = bestIndex;
    site.selX = bestAt->x;
    site.selY = bestAt->y;
    site.selApCount = 0;
    site.selBestRssi = NoSignalRssi;
    setText(site.selBestMacText, "");
    setText(site.selBestSsid, "");
    for (auto it = bestAt; it != store.end() && atSelection(*it, site); ++it) {
        site.selApCount += 1;
        if (it->rssi > site.selBestRssi) {
            std::memcpy(site.selBestMacText, it->macText, sizeof site.selBestMacText);
            std::memcpy(site.selBestSsid, it->ssid, sizeof site.selBestSsid);
            site.selBestRssi = it->rssi;
        }
    }
    return true;
}

void removeSelectedPoint(const SiteState& site, RecordList& store) {
    if (site.selFirstIndex < 1 || static_cast<std::size_t>(site.selFirstIndex) > store.size())
        return;
    auto it = std::next(store.begin(), site.selFirstIndex - 1);
    while (it != store.end() && atSelection(*it, site))
        it = store.erase(it);
}

} // namespace marlow
