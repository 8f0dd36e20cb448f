// Frame encoder and decoder of the board's side of the serial line.
#include "boardsim/FrameCodec.h"

namespace marlow::sim {

Bytes encodeFrame(std::uint8_t type, std::span<const std::uint8_t> payload) {
    Bytes out{FrameLead, FrameStart, type};
    out.reserve(payload.size() + 6);
    if (type == FrameLead)
        out.push_back(FrameEscape);
    for (std::uint8_t byte : payload) {
        out.push_back(byte);
        if (byte == FrameLead)
            out.push_back(FrameEscape);
    }
    out.push_back(FrameLead);
    out.push_back(FrameEnd);
    return out;
}

std::vector<Frame> FrameDecoder::feed(std::span<const std::uint8_t> bytes) {
    std::vector<Frame> frames;
    for (std::uint8_t byte : bytes)
        push(byte, frames);
    return frames;
}

void FrameDecoder::startFrame() {
    m_frame = Frame{};
    m_state = State::Type;
}

void FrameDecoder::push(std::uint8_t byte, std::vector<Frame>& out) {
    switch (m_state) {
    case State::Hunting:
        if (byte == FrameLead)
            m_state = State::Lead;
        return;
    case State::Lead:
        if (byte == FrameStart)
            startFrame();
        else if (byte != FrameLead)
            m_state = State::Hunting;
        return;
    case State::Type:
        m_frame.type = byte;
        m_state = byte == FrameLead ? State::TypeEscape : State::Payload;
        return;
    case State::TypeEscape:
        m_state = byte == FrameEscape ? State::Payload : State::Hunting;
        return;
    case State::Payload:
        if (byte == FrameLead) {
            m_state = State::Escape;
        } else if (m_frame.payload.size() == MaxPayload) {
            // Too long: the rest of the frame cannot hold 11 12, so hunting
            // skips it.
            m_state = State::Hunting;
        } else {
            m_frame.payload.push_back(byte);
        }
        return;
    case State::Escape:
        if (byte == FrameEnd) {
            out.push_back(std::move(m_frame));
            m_frame = Frame{};
            m_state = State::Hunting;
        } else if (byte == FrameEscape && m_frame.payload.size() < MaxPayload) {
            m_frame.payload.push_back(FrameLead);
            m_state = State::Payload;
        } else if (byte == FrameStart) {
            startFrame();
        } else {
            m_state = State::Hunting;
        }
        return;
    }
}

} // namespace marlow::sim
