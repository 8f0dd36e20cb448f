// What a coverage map measures at each surveyed point: the strongest or
// second-strongest signal, or a count of access points, over the access
// points a filter lets through.
#pragma once

#include "analysis/ApFilter.h"
#include "analysis/SurveyedPoints.h"

namespace marlow::analysis {

enum class Metric {
    Signal,   // the strongest RSSI heard, dBm
    Second,   // the second-strongest access point's RSSI, dBm
    Aps,      // access points heard at or above a threshold
    Cochannel // other access points that share the strongest one's channel
};

// The weakest signal that still counts as a co-channel neighbour, dBm.
constexpr int CochannelFloor = -85;

// The metric's value at the point over the access points the filter
// accepts, each radio (MAC address) counted once at its strongest. A point
// where none is heard measures no coverage: NoSignalRssi for the signal
// metrics and 0 for the counts.
int pointValue(const SurveyedPoint& point, Metric metric, const ApFilter& filter, int threshold);

} // namespace marlow::analysis
