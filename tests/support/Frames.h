// Frames for tests that look at what goes over the wire: a frame's bytes,
// the frames that the handheld's parser takes from a stream without read
// time-outs, and the payload of a report.
#pragma once

#include "protocol/BeaconBuilder.h"
#include "protocol/FrameCodec.h"
#include "protocol/FrameParser.h"

#include <cstdint>
#include <ostream>
#include <span>
#include <string_view>
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

inline Bytes textBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// A report from the transmitter 00 11 22 33 44 <last> with exactly the
// elements given.
inline Bytes reportWith(std::int8_t rssi, std::uint8_t last,
                        const std::vector<InfoElement>& elements) {
    BeaconFields beacon;
    beacon.transmitter = {0x00, 0x11, 0x22, 0x33, 0x44, last};
    return reportPayload(rssi, beaconCapture(beacon, encodeElements(elements)));
}

} // namespace marlow::test
