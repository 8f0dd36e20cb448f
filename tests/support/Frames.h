// Frames for tests that look at what goes over the wire: a frame's bytes,
// and the frames that the handheld's parser takes from a stream without
// read time-outs.
#pragma once

#include "protocol/FrameCodec.h"
#include "protocol/FrameParser.h"

#include <cstdint>
#include <ostream>
#include <span>
#include <vector>

namespace marlow::test {

using Bytes = std::vector<std::uint8_t>;

struct Frame {
    std::uint8_t type = 0;
    Bytes payload;

    bool operator==(const Frame&) const = default;
};

// "16 [01]": the type and the payload in hex, for test failures.
inline std::ostream& operator<<(std::ostream& out, const Frame& frame) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    out << int(frame.type) << " [";
    for (std::size_t i = 0; i < frame.payload.size(); ++i)
        out << (i ? " " : "") << Digits[frame.payload[i] >> 4] << Digits[frame.payload[i] & 15];
    return out << "]";
}

inline Bytes frameBytes(std::uint8_t type, std::span<const std::uint8_t> payload = {}) {
    Bytes out;
    appendFrame(out, type, payload);
    return out;
}

inline std::vector<Frame> framesIn(std::span<const std::uint8_t> bytes) {
    std::vector<Frame> frames;
    FrameParser parser;
    parser.feed(bytes, [&](std::uint8_t type, std::span<const std::uint8_t> payload) {
        frames.push_back({type, {payload.begin(), payload.end()}});
    });
    return frames;
}

} // namespace marlow::test
