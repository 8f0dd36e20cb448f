// The frame encoder of the board protocol: a type byte and a payload wrapped
// between Lead Start and Lead End, every Lead of the body followed by
// Escaped. Both ends of the wire frame their messages with it.
#pragma once

#include "protocol/Protocol.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace marlow {

// One encoded frame. An empty frame (size 0) means the message was refused
// because its frame would not fit in MaxFrame bytes.
struct EncodedFrame {
    std::array<std::uint8_t, frame::MaxFrame> bytes{};
    std::size_t size = 0;

    bool empty() const { return size == 0; }
    std::span<const std::uint8_t> view() const { return {bytes.data(), size}; }
};

// A frame as the handheld sends it, at most MaxFrame bytes, without
// allocating.
EncodedFrame encodeFrame(std::uint8_t type, std::span<const std::uint8_t> payload);

// Appends a frame of any size to out, as the board sends its larger
// messages (reports).
void appendFrame(std::vector<std::uint8_t>& out, std::uint8_t type,
                 std::span<const std::uint8_t> payload);

} // namespace marlow
