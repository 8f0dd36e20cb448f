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

    // Code 7 (start scan) marks a scan as requested before it is sent.
    int sendCommand(std::uint8_t code);
    int sendMode(std::uint8_t value);

    // Copy the text and its terminator while holding the text's lock.
    void copyFirmwareText(char (&destination)[TextSize]) const;
    void copySerialText(char (&destination)[TextSize]) const;

    // The measurement's commit has taken the scan: neither flag stays set.
    void clearScanFlags();

    // The channel of the board's latest Channel message.
    std::uint8_t lastBoardChannel() const { return boardChannel; }

private:
    void storeText(std::mutex& lock, char (&text)[TextSize], std::span<const std::uint8_t> body);
    void processReport(std::span<const std::uint8_t> body);
};

} // namespace marlow
