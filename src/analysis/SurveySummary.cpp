// The report's numbers from the surveyed points, in one pass over what was
// heard and a sort of each table.
#include "analysis/SurveySummary.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <unordered_map>

namespace marlow::analysis {

namespace {

constexpr std::size_t NoPoint = static_cast<std::size_t>(-1);

std::uint64_t keyOf(const MacAddress& mac) {
    std::uint64_t key = 0;
    for (const std::uint8_t byte : mac)
        key = (key << 8) | byte;
    return key;
}

// A tally that counts each point once: the last point counted is kept.
struct Tally {
    std::size_t count = 0;
    std::size_t lastPoint = NoPoint;

    // True when this point had not been counted yet.
    bool countPoint(std::size_t point) {
        if (lastPoint == point)
            return false;
        lastPoint = point;
        ++count;
        return true;
    }
};

struct ApTally {
    AccessPointRow row;
    Tally points;
};

std::vector<ChannelRow> channelRows(const std::vector<AccessPointRow>& accessPoints) {
    std::map<int, std::size_t> perChannel;
    for (const AccessPointRow& ap : accessPoints)
        ++perChannel[ap.channel];
    std::vector<ChannelRow> rows;
    for (const auto& [channel, count] : perChannel) {
        ChannelRow row{channel, count, 0};
        for (int other = channel - OverlapDistance; other <= channel + OverlapDistance; ++other) {
            if (const auto found = perChannel.find(other);
                other != channel && found != perChannel.end() && channelsOverlap(channel, other))
                row.overlapping += found->second;
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace

SurveySummary summarize(const std::vector<SurveyedPoint>& points) {
    SurveySummary summary;
    std::unordered_map<std::uint64_t, ApTally> aps;
    std::unordered_map<std::string, Tally> ssids;
    summary.points.reserve(points.size());
    for (std::size_t index = 0; index < points.size(); ++index) {
        const SurveyedPoint& point = points[index];
        PointRow row{point.x, point.y, point.name, 0, std::nullopt};
        for (const HeardAp& heard : point.heard) {
            auto [at, added] = aps.try_emplace(keyOf(heard.mac));
            AccessPointRow& ap = at->second.row;
            if (added || heard.rssi > ap.strongestRssi) {
                ap = {heard.mac, heard.ssid, heard.channel, heard.rssi, 0, index};
            }
            if (at->second.points.countPoint(index))
                ++row.accessPointsHeard;
            if (!heard.ssid.empty())
                ssids[heard.ssid].countPoint(index);
            row.bestRssi = std::max(row.bestRssi.value_or(heard.rssi), heard.rssi);
        }
        if (!row.bestRssi)
            ++summary.pointsWithNothingHeard;
        summary.points.push_back(std::move(row));
    }

    summary.accessPoints.reserve(aps.size());
    for (auto& [key, tally] : aps) {
        tally.row.pointsHeard = tally.points.count;
        summary.accessPoints.push_back(std::move(tally.row));
    }
    std::sort(summary.accessPoints.begin(), summary.accessPoints.end(),
              [](const AccessPointRow& a, const AccessPointRow& b) { return a.mac < b.mac; });
    summary.channels = channelRows(summary.accessPoints);

    summary.ssids.reserve(ssids.size());
    for (const auto& [ssid, tally] : ssids)
        summary.ssids.push_back({ssid, tally.count});
    std::sort(summary.ssids.begin(), summary.ssids.end(), [](const SsidRank& a, const SsidRank& b) {
        return a.pointsHeard != b.pointsHeard ? a.pointsHeard > b.pointsHeard : a.ssid < b.ssid;
    });
    return summary;
}

} // namespace marlow::analysis
