// A scenario: the access points that the simulated board can hear, placed
// on the site's floor plan, and the radio model that turns distance into
// RSSI. Read from JSON:
//
//   {
//     "seed": 7,                  optional, 0..4294967295, default 1
//     "firmware": "1.07",         optional, at most 31 characters
//     "serial": "TB-000417",      optional, at most 31 characters
//     "pathLoss": {               optional, and so is each field:
//       "referenceDbm": -30,      RSSI 1 m from a 0 dBm transmitter
//       "exponent": 3.0,          log-distance path-loss exponent n
//       "pixelsPerMetre": 20,     scale of the floor plan
//       "noiseDb": 2.0,           standard deviation of each sighting's noise
//       "thresholdDbm": -95       sightings weaker than this are not heard
//     },
//     "accessPoints": [           required, may be empty
//       {"mac": "00:11:22:33:44:55", "ssid": "lab", "channel": 6,
//        "x": 120, "y": 80, "txPowerDbm": 0}     txPowerDbm optional
//     ]
//   }
//
// x and y are floor-plan pixels (origin top left). Unknown keys are errors,
// so that a misspelt field is not silently ignored.
#pragma once

#include "boardsim/Beacon.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace marlow::sim {

struct AccessPoint {
    MacAddress mac{};
    std::string ssid;
    int channel = 1;
    double x = 0;
    double y = 0;
    double txPowerDbm = 0;
};

struct PathLoss {
    double referenceDbm = -30;
    double exponent = 3.0;
    double pixelsPerMetre = 20;
    double noiseDb = 2.0;
    double thresholdDbm = -95;
};

struct Scenario {
    std::uint32_t seed = 1;
    std::string firmware = "1.07";
    std::string serial = "TB-000417";
    PathLoss pathLoss;
    std::vector<AccessPoint> accessPoints;
};

constexpr int FirstChannel = 1;
constexpr int LastChannel = 14;
constexpr std::size_t MaxBoardText = 31;

struct ScenarioResult {
    Scenario scenario;
    std::string error; // empty when the scenario is good
};

ScenarioResult parseScenario(std::string_view json);
// Errors name the file.
ScenarioResult loadScenario(const std::string& path);

} // namespace marlow::sim
