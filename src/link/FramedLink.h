// FramedLink: the protocol object between the serial port's threads and the
// analyzer messages. It frames outgoing messages and holds the receive
// parser's state and the scan state; AnalyzerLink supplies the parser and
// the message handling.
#pragma once

#include "ByteSink.h"
#include "FrameCodec.h"
#include "LinkEvents.h"
#include "store/SharedRecordList.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

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

class FramedLink {
public:
    static constexpr std::size_t MaxFrame = frame::MaxFrame;
    static constexpr std::size_t MaxPayload = 8192;
    static constexpr std::size_t TextSize = 32;

    FramedLink(LinkEvents& events, SharedRecordList& scanList);
    FramedLink(const FramedLink&) = delete;
    FramedLink& operator=(const FramedLink&) = delete;

    // The virtual operations, in their fixed order.
    virtual int requestSerialNumber();
    virtual int requestFirmwareVersion();
    // Consumes the bytes of the read that the previous call asked for and
    // returns how many to read before the next call (0 or 1).
    virtual int parse(const std::uint8_t* bytes, int count) = 0;
    virtual int keepAlive() = 0;
    virtual ~FramedLink();
    // Frames the message and hands it to the sink. Returns the sink's result
    // (1), or 0 when nothing was sent: no sink yet, or a frame that would be
    // longer than MaxFrame.
    virtual int sendMessage(std::uint8_t type, const std::uint8_t* payload, unsigned length);
    virtual void handleMessage(std::uint8_t type, const std::uint8_t* payload,
                               std::uint16_t length) = 0;

    // The serial port, once it exists; until then sends go nowhere.
    void attachSink(ByteSink* sink);

    // The reader thread sets Reset before its first call to parse.
    void setParserState(ParserState next) { state = next; }
    ParserState parserState() const { return state; }

    // Read on the user-interface thread while the reader thread writes them.
    std::atomic<bool> scanRequested{false};
    std::atomic<bool> scanDone{false};
    std::atomic<std::int32_t> scanChannel{0};

protected:
    // Hands finished bytes to the sink as they are; 0 when there is none.
    int sendRaw(const std::uint8_t* bytes, std::size_t length);

    LinkEvents& m_events;
    SharedRecordList& m_scanList;
    std::atomic<ByteSink*> m_sink{nullptr};

    // Scan state, touched only on the reader thread.
    std::uint8_t boardChannel = 1;
    std::uint8_t ieChannel = 0;
    bool batteryWarned = false;

    // The board's texts, each under its own lock, zero-terminated.
    mutable std::mutex serialLock;
    mutable std::mutex firmwareLock;
    char serialText[TextSize] = {};
    char firmwareText[TextSize] = {};

    // Receive parser.
    ParserState state = ParserState::Reset;
    std::uint8_t rxType = 0;
    std::uint16_t rxLength = 0;
    // Beyond rxLength the buffer is always zero.
    std::array<std::uint8_t, MaxPayload> rxPayload{};
};

} // namespace marlow
