// The numbers a survey report shows, worked out from the surveyed points:
// one row per access point and per point, the access points on each
// channel with the 2.4 GHz overlap, and the SSIDs ranked by how many
// points heard them. Texts stay the stored bytes; escaping them for
// display is the writer's business.
#pragma once

#include "analysis/Channels.h"
#include "analysis/SurveyedPoints.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace marlow::analysis {

// An access point is a MAC. Its SSID and channel are those of its
// strongest record, the first one at that RSSI in survey order.
struct AccessPointRow {
    MacAddress mac{};
    std::string ssid;
    int channel = 0;
    int strongestRssi = 0;
    std::size_t pointsHeard = 0;    // points where it was heard at all
    std::size_t strongestPoint = 0; // index into the points where it was strongest
};

struct PointRow {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::string name;
    std::size_t accessPointsHeard = 0; // distinct MACs
    std::optional<int> bestRssi;       // none: nothing heard there
};

struct ChannelRow {
    int channel = 0;
    std::size_t accessPoints = 0;
    // Access points on other 2.4 GHz channels that overlap this one; 0
    // outside 2.4 GHz.
    std::size_t overlapping = 0;
};

struct SsidRank {
    std::string ssid;
    std::size_t pointsHeard = 0;
};

struct SurveySummary {
    std::vector<PointRow> points;             // in survey order
    std::vector<AccessPointRow> accessPoints; // by MAC
    std::vector<ChannelRow> channels;         // channels with access points, ascending
    // Named SSIDs, the most heard first, ties by their bytes; a hidden
    // network (empty SSID) has no name to rank and is left out.
    std::vector<SsidRank> ssids;
    std::size_t pointsWithNothingHeard = 0;
};

SurveySummary summarize(const std::vector<SurveyedPoint>& points);

} // namespace marlow::analysis
