// AnalyzerLink: runs the receive parser that turns the byte stream from the
// board into messages, and handles each message: the start-up handshake,
// the scan state and the building of the scan list from access-point reports.
#pragma once

#include "FramedLink.h"

#include <span>

namespace marlow {

class AnalyzerLink : public FramedLink {
public:
    using FramedLink::FramedLink;

    int parse(const std::uint8_t* bytes, int count) override;
    // Two zero bytes, not framed: the board skips bytes outside frames.
    int keepAlive() override;
    ~AnalyzerLink() override;
    void handleMessage(std::uint8_t type, const std::uint8_t* payload,
                       std::uint16_t length) override;

    // Code 7 (start scan) starts a measurement before it is sent: the scan
    // list is emptied, scanDone cleared, a scan marked as requested, and the
    // next sweep to begin becomes the measured one.
    int sendCommand(std::uint8_t code);
    int sendMode(std::uint8_t value);

    // Copy the text and its terminator while holding the text's lock.
    void copyFirmwareText(char (&destination)[TextSize]) const;
    void copySerialText(char (&destination)[TextSize]) const;

    // The measurement was committed or abandoned: neither flag stays set.
    void clearScanFlags();
    // The measurement waits for a board that finished an older sweep and
    // started none since: one that ignored the start-scan command.
    bool boardIdleBeforeSweep() const;

    // The channel of the board's latest Channel message.
    std::uint8_t lastBoardChannel() const { return boardChannel; }

private:
    void storeText(std::mutex& lock, char (&text)[TextSize], std::span<const std::uint8_t> body);
    void processReport(std::span<const std::uint8_t> body);
};

} // namespace marlow
