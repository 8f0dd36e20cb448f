// The frame encoder of the board protocol: a type byte and a payload wrapped
// between 0x11 0x12 and 0x11 0x13, every 0x11 of the body followed by 0x14.
// It works on byte spans so that the link, the tests and the tools that play
// the board all frame messages the same way.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace marlow {

namespace frame {
constexpr std::uint8_t Lead = 0x11;
constexpr std::uint8_t Start = 0x12;
constexpr std::uint8_t End = 0x13;
constexpr std::uint8_t Escaped = 0x14;
// Frames the handheld sends, framing and escapes included, never exceed this.
constexpr std::size_t MaxFrame = 128;
} // namespace frame

// One encoded frame. An empty frame (size 0) means the message was refused
// because its frame would not fit in MaxFrame bytes.
struct EncodedFrame {
    std::array<std::uint8_t, frame::MaxFrame> bytes{};
    std::size_t size = 0;

    bool empty() const { return size == 0; }
    std::span<const std::uint8_t> view() const { return {bytes.data(), size}; }
};

// A frame as the handheld sends it, at most MaxFrame bytes.
EncodedFrame encodeFrame(std::uint8_t type, std::span<const std::uint8_t> payload);

// Appends a frame of any size to out, as the board sends its larger messages
// (reports); for whatever plays the board: simulators, tests, benchmarks.
void appendFrame(std::vector<std::uint8_t>& out, std::uint8_t type,
                 std::span<const std::uint8_t> payload);

} // namespace marlow
