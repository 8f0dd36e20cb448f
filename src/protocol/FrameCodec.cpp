// Frame encoding; see FrameCodec.h.
#include "protocol/FrameCodec.h"

namespace marlow {

namespace {

// Hands every byte of the frame, in order, to put; stops early when put
// returns false.
template <typename Put>
bool forEachFrameByte(std::uint8_t type, std::span<const std::uint8_t> payload, Put&& put) {
    // A body byte: Lead is the only byte that needs the escape after it.
    auto putBody = [&](std::uint8_t byte) {
        return put(byte) && (byte != frame::Lead || put(frame::Escaped));
    };
    if (!put(frame::Lead) || !put(frame::Start) || !putBody(type))
        return false;
    for (std::uint8_t byte : payload) {
        if (!putBody(byte))
            return false;
    }
    return put(frame::Lead) && put(frame::End);
}

} // namespace

EncodedFrame encodeFrame(std::uint8_t type, std::span<const std::uint8_t> payload) {
    EncodedFrame out;
    const bool fits = forEachFrameByte(type, payload, [&out](std::uint8_t byte) {
        if (out.size == out.bytes.size())
            return false;
        out.bytes[out.size++] = byte;
        return true;
    });
    return fits ? out : EncodedFrame{};
}

void appendFrame(std::vector<std::uint8_t>& out, std::uint8_t type,
                 std::span<const std::uint8_t> payload) {
    forEachFrameByte(type, payload, [&out](std::uint8_t byte) {
        out.push_back(byte);
        return true;
    });
}

} // namespace marlow
