// Sweeps of the Wi-Fi adapter recorded as JSON Lines: one sweep per line,
// as sweepJsonLine writes it (shown here on several lines):
//
//   {"time": "2026-12-07T04:53:45.120Z",        UTC, milliseconds optional
//    "interface": "wlp2s0",                     optional: when known
//    "position": {"x": 120, "y": 80.5},         optional: floor-plan pixels
//    "bss": [{"bssid": "aa:bb:cc:dd:ee:ff",     at most 1024
//             "frequency": 2437,                MHz
//             "signal_mbm": -4550,              hundredths of a dBm
//             "age_ms": 120, "stale": false,
//             "elements": "0003616263dd..."}],  as received, in hex
//    "dropped": 0, "notes": ["the scan was aborted"], "adapter_gone": false}
//
// A line that breaks the format is refused with what is wrong where
// ("line 3: bss[2].elements: ..."); unknown keys are errors too, so that a
// misspelt field is not silently ignored. Blank lines are skipped.
#pragma once

#include "base/Result.h"
#include "board/RadioSource.h"
#include "wifi/Sweep.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlow::sweeplog {

using TimePoint = std::chrono::sys_time<std::chrono::milliseconds>;

struct RecordedSweep {
    // When the sweep was taken.
    TimePoint time{};
    // Where the surveyor stood, when known.
    std::optional<board::SurveyPosition> position;
    // The adapter that swept, when known.
    std::optional<std::string> interfaceName;
    wifi::Sweep sweep;
};

// One line of JSON, newline included.
std::string sweepJsonLine(const RecordedSweep& recorded);

// One line, without its newline.
Result<RecordedSweep> parseSweepLine(std::string_view line);
// Every line that is not blank; errors name the line, counted from 1. Text
// without a sweep is an error.
Result<std::vector<RecordedSweep>> parseSweepLines(std::string_view text);
// Errors name the file.
Result<std::vector<RecordedSweep>> loadSweeps(const std::string& path);

} // namespace marlow::sweeplog
