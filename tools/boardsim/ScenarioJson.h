// Scenarios as JSON files, read and written:
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
// Unknown keys are errors, so that a misspelt field is not silently
// ignored. Every error names the field it is about ("accessPoints[2].channel:
// ...").
#pragma once

#include "base/Result.h"
#include "board/Scenario.h"

#include <string>
#include <string_view>

namespace marlow::sim {

Result<board::Scenario> parseScenario(std::string_view json);
// Errors name the file.
Result<board::Scenario> loadScenario(const std::string& path);

// The scenario as parseScenario reads it, every field written out.
std::string scenarioJson(const board::Scenario& scenario);

} // namespace marlow::sim
