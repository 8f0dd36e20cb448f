// The value of a coverage metric at one surveyed point.
#include "analysis/PointValues.h"

#include "analysis/Channels.h"
#include "store/SurveyRecord.h"

#include <algorithm>

namespace marlow::analysis {

namespace {

// The accepted access points, one per MAC at its strongest, strongest first.
std::vector<const HeardAp*> acceptedByStrength(const SurveyedPoint& point, const ApFilter& filter) {
    std::vector<const HeardAp*> aps;
    for (const HeardAp& ap : point.heard) {
        if (filter.accepts(ap))
            aps.push_back(&ap);
    }
    // A radio heard twice at a point (two records of one MAC) is one access
    // point, kept at its strongest.
    std::sort(aps.begin(), aps.end(), [](const HeardAp* a, const HeardAp* b) {
        return a->mac != b->mac ? a->mac < b->mac : a->rssi > b->rssi;
    });
    aps.erase(std::unique(aps.begin(), aps.end(),
                          [](const HeardAp* a, const HeardAp* b) { return a->mac == b->mac; }),
              aps.end());
    std::stable_sort(aps.begin(), aps.end(),
                     [](const HeardAp* a, const HeardAp* b) { return a->rssi > b->rssi; });
    return aps;
}

} // namespace

int pointValue(const SurveyedPoint& point, Metric metric, const ApFilter& filter, int threshold) {
    const std::vector<const HeardAp*> aps = acceptedByStrength(point, filter);
    switch (metric) {
    case Metric::Signal:
        return aps.empty() ? NoSignalRssi : aps[0]->rssi;
    case Metric::Second:
        return aps.size() < 2 ? NoSignalRssi : aps[1]->rssi;
    case Metric::Aps:
        return static_cast<int>(
            std::count_if(aps.begin(), aps.end(),
                          [threshold](const HeardAp* ap) { return ap->rssi >= threshold; }));
    case Metric::Cochannel:
        if (aps.empty())
            return 0;
        return static_cast<int>(std::count_if(aps.begin() + 1, aps.end(), [&](const HeardAp* ap) {
            return ap->rssi >= CochannelFloor && channelsOverlap(ap->channel, aps[0]->channel);
        }));
    }
    return 0;
}

} // namespace marlow::analysis
