// What the end-to-end tests share: the patience for a board and the wait
// for a condition within it, where the surveyor stands, and the scan list
// that the office board's one scan leaves there.
#pragma once

#include "board/RadioSource.h"

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace marlow::e2e {

constexpr std::chrono::seconds Patience{60};

// Polls `condition` until it holds; false when it still does not after
// Patience.
inline bool waitUntil(const std::function<bool()>& condition) {
    const auto giveUpAt = std::chrono::steady_clock::now() + Patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUpAt)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Under the office's access point on channel 1, 00:1A:2B:3C:01:01.
constexpr board::SurveyPosition NearOfficeAp{110, 70};

// Transmitter, SSID, channel, samples and RSSI sum of a scan-list record.
using ScanRecord = std::tuple<std::string, std::string, int, int, int>;

// The first scan of the office scenario (seed 7) near that access point, in
// list order: every access point of the scenario on its own channel, at
// plausible levels. The one overhead is heard first and loudest, and so ends
// up last: every later first sample is weaker than its -31.
inline const std::vector<ScanRecord> OfficeScanNearAp = {
    {"001A2B3C0301", "lab-5", 1, 3, -210},   {"7C2E0D102030", "cafe-next-door", 3, 2, -159},
    {"001A2B3C0102", "office", 6, 3, -205},  {"001A2B3C0401", "print-room", 6, 2, -164},
    {"001A2B3C0103", "office", 11, 2, -155}, {"001A2B3C0201", "guest", 11, 2, -137},
    {"001A2B3C0101", "office", 1, 1, -31},
};

} // namespace marlow::e2e
