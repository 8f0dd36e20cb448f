// The board check itself: the port opened and the link started exactly as
// the program starts them, then the board's answers awaited, each within a
// time limit: the firmware and serial texts of the handshake and, when asked
// for, one scan.
#pragma once

#include "base/Result.h"
#include "link/serial/DriverRegistry.h"
#include "store/SurveyRecord.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace marlow::check {

// The board answers the handshake within a second; a paced scan of a busy
// site takes a few seconds at the line rate.
constexpr std::chrono::milliseconds HandshakeTimeout{5000};
constexpr std::chrono::milliseconds ScanTimeout{30000};

struct CheckOptions {
    // The device to open; empty: found through the registry.
    std::string device;
    bool scan = false;
    // For each wait; empty: HandshakeTimeout, then ScanTimeout.
    std::optional<std::chrono::milliseconds> timeout;
};

// What the board answered when it answered everything asked of it.
struct BoardAnswers {
    std::string firmware;
    std::string serial;
    // The scan list in list order, after a scan.
    std::optional<std::vector<SurveyRecord>> records;
};

// A low-battery report from the board is shown on stderr as it arrives. A
// failure says which device did not open or did not answer in time.
Result<BoardAnswers> runBoardCheck(const CheckOptions& options, const DriverRegistry& registry);

} // namespace marlow::check
