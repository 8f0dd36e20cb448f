// What the board sends in answer to one batch of input: runs of bytes with
// an optional pause after each. The pauses are part of the behaviour (the
// stall fault holds the line inside a frame); line-rate pacing is added by
// whoever writes the bytes out.
#pragma once

#include "boardsim/FrameCodec.h"

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

namespace marlow::sim {

struct Segment {
    Bytes bytes;
    std::chrono::milliseconds pauseAfter{0};
};

class Transmission {
public:
    void frame(std::uint8_t type, std::span<const std::uint8_t> payload) {
        raw(encodeFrame(type, payload));
    }
    void raw(std::span<const std::uint8_t> bytes) {
        if (m_segments.empty() || m_segments.back().pauseAfter.count() != 0)
            m_segments.emplace_back();
        Bytes& tail = m_segments.back().bytes;
        tail.insert(tail.end(), bytes.begin(), bytes.end());
    }
    void pause(std::chrono::milliseconds length) {
        if (m_segments.empty())
            m_segments.emplace_back();
        m_segments.back().pauseAfter += length;
    }
    void append(const Transmission& other) {
        for (const Segment& segment : other.m_segments) {
            raw(segment.bytes);
            pause(segment.pauseAfter);
        }
    }

    const std::vector<Segment>& segments() const { return m_segments; }
    bool empty() const { return m_segments.empty(); }
    // All bytes in order, pauses left out.
    Bytes bytes() const {
        Bytes all;
        for (const Segment& segment : m_segments)
            all.insert(all.end(), segment.bytes.begin(), segment.bytes.end());
        return all;
    }

private:
    std::vector<Segment> m_segments;
};

} // namespace marlow::sim
