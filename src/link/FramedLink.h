// FramedLink: the protocol object between the serial port's threads and the
// analyzer messages. It frames outgoing messages and holds the receive
// parser and the scan state; AnalyzerLink runs the parser and handles the
// messages.
#pragma once

#include "ByteSink.h"
#include "LinkEvents.h"
#include "SweepTracker.h"
#include "protocol/FrameParser.h"
#include "store/SharedRecordList.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace marlow {

class FramedLink {
public:
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
    // longer than frame::MaxFrame.
    virtual int sendMessage(std::uint8_t type, const std::uint8_t* payload, unsigned length);
    virtual void handleMessage(std::uint8_t type, const std::uint8_t* payload,
                               std::uint16_t length) = 0;

    // The serial port, once it exists; until then sends go nowhere.
    void attachSink(ByteSink* sink);

    // The reader thread sets Reset before its first call to parse.
    void setParserState(ParserState next) { m_parser.setState(next); }
    ParserState parserState() const { return m_parser.state(); }

    // Read on the user-interface thread while the reader thread writes them.
    // scanRequested: a measurement waits for its sweep; scanDone: that
    // sweep has ended (SweepTracker says which sweep is whose).
    std::atomic<bool> scanRequested{false};
    std::atomic<bool> scanDone{false};
    std::atomic<std::int32_t> scanChannel{0};
    // Reports of new transmitters that the full scan list turned away since
    // the measurement started.
    std::atomic<std::uint32_t> droppedReports{0};
    // Steady-clock time (in its own ticks) when the last message arrived;
    // 0 before the first.
    std::atomic<std::int64_t> lastArrival{0};

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

    // Which sweep the scan list holds; guarded by the scan list's lock.
    SweepTracker m_sweeps;

    // The board's texts, each under its own lock, zero-terminated.
    mutable std::mutex serialLock;
    mutable std::mutex firmwareLock;
    char serialText[TextSize] = {};
    char firmwareText[TextSize] = {};

    FrameParser m_parser;
};

} // namespace marlow
