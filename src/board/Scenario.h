// A scenario: the access points that the simulated board can hear, placed
// on the site's floor plan, the radio model that turns distance into RSSI,
// and the board's texts and noise seed. x and y are floor-plan pixels
// (origin top left).
#pragma once

#include "protocol/BeaconBuilder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace marlow::board {

struct AccessPoint {
    MacAddress mac{};
    std::string ssid;
    int channel = 1;
    double x = 0;
    double y = 0;
    double txPowerDbm = 0;

    bool operator==(const AccessPoint&) const = default;
};

struct PathLoss {
    // RSSI 1 m from a 0 dBm transmitter.
    double referenceDbm = -30;
    // The log-distance path-loss exponent n.
    double exponent = 3.0;
    double pixelsPerMetre = 20;
    // Standard deviation of each sighting's noise.
    double noiseDb = 2.0;
    // Sightings weaker than this are not heard.
    double thresholdDbm = -95;

    bool operator==(const PathLoss&) const = default;
};

struct Scenario {
    std::uint32_t seed = 1;
    std::string firmware = "1.07";
    std::string serial = "TB-000417";
    PathLoss pathLoss;
    std::vector<AccessPoint> accessPoints;

    bool operator==(const Scenario&) const = default;
};

// The channels the simulated board sweeps.
constexpr int FirstChannel = 1;
constexpr int LastChannel = 14;
// The firmware and serial texts fit the handheld's 32-byte fields.
constexpr std::size_t MaxBoardText = 31;

} // namespace marlow::board
