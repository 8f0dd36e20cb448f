// The receive parser of the board protocol: the handheld's state machine,
// which takes one read at a time and says how many bytes to read next. The
// serial reader calls parse with the byte it read (count 1) or with a count
// of 0 after a read time-out; when parse returns 0 the reader calls it again
// with the same byte and count. Each complete frame goes to the caller's
// deliver(type, payload) from inside that call.
//
// The payload's storage holds MaxPayload bytes and is zero beyond the
// payload, so a handler may read a one-byte field of an empty payload as 0.
//
// parse is defined here so that it inlines into the link's reader loop.
#pragma once

#include "protocol/Protocol.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>

namespace marlow {

enum class ParserState : std::uint16_t {
    Reset = 0,
    Sync1 = 1,
    Sync2 = 2,
    Type = 3,
    Payload = 4,
    Escape = 5,
    Delivered = 6,
    TypeEscape = 7,
};

class FrameParser {
public:
    ParserState state() const { return m_state; }
    // Also starts feed over as if the reader had just started.
    void setState(ParserState next) {
        m_state = next;
        m_wantsByte = false;
        m_inputCount = 0;
    }

    // Consumes the bytes of the read that the previous call asked for and
    // returns how many to read before the next call (0 or 1).
    template <typename Deliver> int parse(const std::uint8_t* bytes, int count, Deliver&& deliver);

    // Runs the parser over bytes that arrived with no time-out between them,
    // exactly as the serial reader would: before the first byte the parser is
    // called without one until it asks for a byte, then each byte is offered
    // again until the parser asks for the next. Bytes may come in pieces of
    // any size; a frame split between pieces is delivered once it is whole.
    template <typename Deliver> void feed(std::span<const std::uint8_t> bytes, Deliver&& deliver) {
        settle(deliver);
        for (const std::uint8_t byte : bytes) {
            m_input = byte;
            m_inputCount = 1;
            m_wantsByte = false;
            settle(deliver);
        }
    }

private:
    // The next byte of the frame body; false when the payload is full and
    // the frame has been dropped.
    bool append(std::uint8_t byte) {
        // One payload that would overflow the buffer is dropped whole: the
        // parser goes back to hunting for a frame start, and the rest of the
        // oversized frame is skipped like bytes between frames (its body
        // cannot contain Lead Start, so nothing in it can be taken for one).
        if (m_length == frame::MaxPayload) {
            m_state = ParserState::Reset;
            return false;
        }
        m_payload[m_length++] = byte;
        return true;
    }

    template <typename Deliver> void settle(Deliver& deliver) {
        while (!m_wantsByte)
            m_wantsByte = parse(&m_input, m_inputCount, deliver) > 0;
    }

    ParserState m_state = ParserState::Reset;
    std::uint8_t m_type = 0;
    std::uint16_t m_length = 0;
    // Beyond m_length the buffer is always zero.
    std::array<std::uint8_t, frame::MaxPayload> m_payload{};

    // feed's view of the reader: the last read and whether the parser has
    // asked for another.
    bool m_wantsByte = false;
    std::uint8_t m_input = 0;
    int m_inputCount = 0;
};

template <typename Deliver>
int FrameParser::parse(const std::uint8_t* bytes, int count, Deliver&& deliver) {
    // Sync states look at a byte whenever one came; the states inside a frame
    // need exactly one, and anything else abandons the frame.
    const bool haveByte = count >= 1;
    const bool exactlyOne = count == 1;
    const std::uint8_t byte = haveByte ? bytes[0] : 0;

    switch (m_state) {
    case ParserState::Reset:
        // Only bytes of the previous frame can be non-zero, so clearing them
        // leaves the whole buffer zero.
        std::fill_n(m_payload.begin(), m_length, std::uint8_t{0});
        m_length = 0;
        m_state = ParserState::Sync1;
        return 1;
    case ParserState::Sync1:
        m_state = haveByte && byte == frame::Lead ? ParserState::Sync2 : ParserState::Reset;
        return m_state == ParserState::Sync2 ? 1 : 0;
    case ParserState::Sync2:
        m_state = haveByte && byte == frame::Start ? ParserState::Type : ParserState::Reset;
        return m_state == ParserState::Type ? 1 : 0;
    case ParserState::Type:
        if (!exactlyOne) {
            m_state = ParserState::Reset;
            return 0;
        }
        m_type = byte;
        m_state = byte == frame::Lead ? ParserState::TypeEscape : ParserState::Payload;
        return 1;
    case ParserState::TypeEscape:
        // The byte after a type of Lead is skipped whatever its value.
        m_state = exactlyOne ? ParserState::Payload : ParserState::Reset;
        return exactlyOne ? 1 : 0;
    case ParserState::Payload:
        if (!exactlyOne) {
            m_state = ParserState::Reset;
            return 0;
        }
        if (byte == frame::Lead) {
            m_state = ParserState::Escape;
            return 1;
        }
        return append(byte) ? 1 : 0;
    case ParserState::Escape:
        if (!exactlyOne) {
            // The one reset that still asks for a byte: Reset swallows it.
            m_state = ParserState::Reset;
            return 1;
        }
        if (byte == frame::End) {
            m_state = ParserState::Delivered;
            deliver(m_type, std::span<const std::uint8_t>(m_payload.data(), m_length));
            return 0;
        }
        if (byte == frame::Escaped) {
            if (!append(frame::Lead))
                return 0;
            m_state = ParserState::Payload;
            return 1;
        }
        m_state = ParserState::Reset;
        return 0;
    case ParserState::Delivered:
        m_state = ParserState::Reset;
        return 0;
    }
    // A state value outside the table: start over.
    m_state = ParserState::Reset;
    return 0;
}

} // namespace marlow
