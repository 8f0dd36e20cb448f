// The board's end of the serial line as the board writes to it: whole
// frames, and for the faults it injects, raw bytes and pauses.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>

namespace marlow::board {

class BoardLine {
public:
    virtual ~BoardLine() = default;
    virtual void frame(std::uint8_t type, std::span<const std::uint8_t> payload) = 0;
    virtual void raw(std::span<const std::uint8_t> bytes) = 0;
    // Nothing moves on the line for this long.
    virtual void pause(std::chrono::milliseconds length) = 0;
};

} // namespace marlow::board
