// Faults the board's line can carry to prove that the handheld survives a
// misbehaving board. Every enabled fault is sent once per sweep, right after
// the ScanChannel message for channel 1 and before that channel's reports,
// in the order below. Faults that carry a report use a phantom access point
// 02:FA:17:00:00:0k (k = 1 + the fault's place in the list), SSID
// "fault-<name>", channel 1, -50 dBm. Each fault leaves the handheld's
// parser hunting for the next frame, so the rest of the sweep arrives
// intact:
//
//   garbage        bytes between frames: 00 00 FF 12 13 14 11 00 "noise" 0D 0A
//                  (no frame opens; the lone 11 is followed by 00)
//   bad-escape     a phantom report with the invalid escape pair 11 15 after
//                  the report's 4-byte header; the handheld must drop it
//   stall          a phantom report that stops for 400 ms after its first 8
//                  bytes (longer than the handheld's 251 ms byte time-out),
//                  then sends the rest; the handheld must drop it
//   oversize       a phantom report with a 9000-byte payload (N = 8996, the
//                  capture padded with zero bytes); the handheld must drop it
//   short-capture  a phantom report with N = 24: the capture ends inside the
//                  management header, after the transmitter address
//   long-capture   a phantom report with N = 2200: after the beacon's elements
//                  come TIM elements (id 5, 250 zero bytes each), the last cut
//                  off by the end of the capture
//   truncated      a phantom report whose N is 100 more than the capture the
//                  payload holds
//   unknown-type   frames of types 5 (payload 01), 0x13 (the end byte as a
//                  type, payload 11 sent escaped) and 0xFF (empty)
//
// For short-capture, long-capture and truncated the handheld may keep or
// drop the report, but must not read outside what arrived.
#pragma once

#include "base/Result.h"
#include "board/BoardLine.h"

#include <array>
#include <chrono>
#include <set>
#include <string_view>

namespace marlow::board {

enum class Fault {
    Garbage,
    BadEscape,
    Stall,
    Oversize,
    ShortCapture,
    LongCapture,
    Truncated,
    UnknownType,
};

inline constexpr std::array AllFaults = {Fault::Garbage,   Fault::BadEscape,    Fault::Stall,
                                         Fault::Oversize,  Fault::ShortCapture, Fault::LongCapture,
                                         Fault::Truncated, Fault::UnknownType};

using FaultSet = std::set<Fault>;

constexpr std::chrono::milliseconds StallLength{400};

std::string_view faultName(Fault fault);

// A comma-separated list of the names above, or "all".
Result<FaultSet> parseFaultList(std::string_view list);

// Sends the bytes (and for the stall, the pause) that inject the fault.
void sendFault(Fault fault, BoardLine& line);

// The board's line with faults: passes everything on to the line it wraps
// and, right after each ScanChannel frame for channel 1, sends the faults.
class FaultInjector final : public BoardLine {
public:
    FaultInjector(BoardLine& inner, FaultSet faults);

    void frame(std::uint8_t type, std::span<const std::uint8_t> payload) override;
    void raw(std::span<const std::uint8_t> bytes) override;
    void pause(std::chrono::milliseconds length) override;

private:
    BoardLine& m_inner;
    const FaultSet m_faults;
};

} // namespace marlow::board
