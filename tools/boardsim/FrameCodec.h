// The board's side of the byte-stuffed framing: the encoder for what the
// board sends and the decoder for what the handheld sends. A frame is
// 11 12, the type (a type 11 is followed by 14), the payload with every 11
// sent as 11 14, then 11 13. Bytes outside frames (the handheld's keep-alive
// zeros, line noise) are skipped; malformed frames are dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace marlow::sim {

constexpr std::uint8_t FrameLead = 0x11;
constexpr std::uint8_t FrameStart = 0x12;
constexpr std::uint8_t FrameEnd = 0x13;
constexpr std::uint8_t FrameEscape = 0x14;
// The largest payload either side accepts; a longer frame is dropped.
constexpr std::size_t MaxPayload = 8192;

using Bytes = std::vector<std::uint8_t>;

struct Frame {
    std::uint8_t type = 0;
    Bytes payload;

    bool operator==(const Frame&) const = default;
};

// The frame bytes for one message.
Bytes encodeFrame(std::uint8_t type, std::span<const std::uint8_t> payload);

// Turns a byte stream into frames. A frame is dropped on an escape pair
// other than 11 13 or 11 14, on a type 11 not followed by 14, and when its
// payload grows past MaxPayload; a 11 12 inside a frame abandons it and
// starts the next one there.
class FrameDecoder {
public:
    std::vector<Frame> feed(std::span<const std::uint8_t> bytes);

private:
    enum class State { Hunting, Lead, Type, TypeEscape, Payload, Escape };

    void push(std::uint8_t byte, std::vector<Frame>& out);
    void startFrame();

    State m_state = State::Hunting;
    Frame m_frame;
};

} // namespace marlow::sim
