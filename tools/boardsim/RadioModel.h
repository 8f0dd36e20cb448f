// The radio model: RSSI at a point of the floor plan from a log-distance
// path loss, RSSI = txPower + referenceDbm - 10 n log10(max(d, 1 m)), plus
// Gaussian noise drawn for each sighting, rounded and clamped to the range a
// board reports. Sightings below the hearing threshold are not heard.
#pragma once

#include "boardsim/Scenario.h"

#include <cstdint>
#include <optional>
#include <random>

namespace marlow::sim {

constexpr int WeakestRssi = -100;
constexpr int StrongestRssi = -20;

struct Point {
    double x = 0;
    double y = 0;
};

class RadioModel {
public:
    explicit RadioModel(const PathLoss& pathLoss) : m_pathLoss(pathLoss) {}

    // The RSSI without noise, unclamped.
    double meanRssi(const AccessPoint& ap, Point at) const;
    // One sighting; nothing when it falls below the hearing threshold.
    std::optional<std::int8_t> sighting(const AccessPoint& ap, Point at,
                                        std::mt19937& random) const;

private:
    PathLoss m_pathLoss;
};

} // namespace marlow::sim
