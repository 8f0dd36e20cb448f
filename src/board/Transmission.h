// A board line that keeps what is written to it: runs of bytes with an
// optional pause after each, for the serving transport to send (adding the
// line-rate pacing) and for tests to look at.
#pragma once

#include "board/BoardLine.h"
#include "protocol/FrameCodec.h"

#include <vector>

namespace marlow::board {

using Bytes = std::vector<std::uint8_t>;

struct Segment {
    Bytes bytes;
    std::chrono::milliseconds pauseAfter{0};
};

class Transmission final : public BoardLine {
public:
    void frame(std::uint8_t type, std::span<const std::uint8_t> payload) override {
        appendFrame(tail(), type, payload);
    }
    void raw(std::span<const std::uint8_t> bytes) override {
        Bytes& out = tail();
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    void pause(std::chrono::milliseconds length) override {
        if (m_segments.empty())
            m_segments.emplace_back();
        m_segments.back().pauseAfter += length;
    }

    const std::vector<Segment>& segments() const { return m_segments; }
    bool empty() const { return m_segments.empty(); }
    void clear() { m_segments.clear(); }
    // All bytes in order, pauses left out.
    Bytes bytes() const {
        Bytes all;
        for (const Segment& segment : m_segments)
            all.insert(all.end(), segment.bytes.begin(), segment.bytes.end());
        return all;
    }

private:
    // Where the next bytes go: a segment of its own after a pause.
    Bytes& tail() {
        if (m_segments.empty() || m_segments.back().pauseAfter.count() != 0)
            m_segments.emplace_back();
        return m_segments.back().bytes;
    }

    std::vector<Segment> m_segments;
};

} // namespace marlow::board
