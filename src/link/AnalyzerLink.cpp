// The receive state machine and the message handling of the analyzer link.
#include "AnalyzerLink.h"

#include "ApReport.h"
#include "Messages.h"

#include <algorithm>

namespace marlow {

namespace {

std::uint8_t firstByte(std::span<const std::uint8_t> body) {
    // A one-byte field of an empty payload reads as 0, as the zeroed
    // receive buffer gives it.
    return body.empty() ? 0 : body[0];
}

} // namespace

AnalyzerLink::~AnalyzerLink() = default;

bool AnalyzerLink::append(std::uint8_t byte) {
    // No board payload comes near the buffer's size. One that would overflow
    // it is dropped whole: the parser goes back to hunting for a frame start,
    // and the rest of the oversized frame is skipped like bytes between
    // frames (its body cannot contain 0x11 0x12, so nothing in it can be
    // taken for a start).
    if (rxLength == MaxPayload) {
        state = ParserState::Reset;
        return false;
    }
    rxPayload[rxLength++] = byte;
    return true;
}

int AnalyzerLink::parse(const std::uint8_t* bytes, int count) {
    // Sync states look at a byte whenever one came; the states inside a frame
    // need exactly one, and anything else abandons the frame.
    const bool haveByte = count >= 1;
    const bool exactlyOne = count == 1;
    const std::uint8_t byte = haveByte ? bytes[0] : 0;

    switch (state) {
    case ParserState::Reset:
        // Only bytes of the previous frame can be non-zero, so clearing them
        // leaves the whole buffer zero.
        std::fill_n(rxPayload.begin(), rxLength, std::uint8_t{0});
        rxLength = 0;
        state = ParserState::Sync1;
        return 1;
    case ParserState::Sync1:
        state = haveByte && byte == frame::Lead ? ParserState::Sync2 : ParserState::Reset;
        return state == ParserState::Sync2 ? 1 : 0;
    case ParserState::Sync2:
        state = haveByte && byte == frame::Start ? ParserState::Type : ParserState::Reset;
        return state == ParserState::Type ? 1 : 0;
    case ParserState::Type:
        if (!exactlyOne) {
            state = ParserState::Reset;
            return 0;
        }
        rxType = byte;
        state = byte == frame::Lead ? ParserState::TypeEscape : ParserState::Payload;
        return 1;
    case ParserState::TypeEscape:
        // The byte after a type of 0x11 is skipped whatever its value.
        state = exactlyOne ? ParserState::Payload : ParserState::Reset;
        return exactlyOne ? 1 : 0;
    case ParserState::Payload:
        if (!exactlyOne) {
            state = ParserState::Reset;
            return 0;
        }
        if (byte == frame::Lead) {
            state = ParserState::Escape;
            return 1;
        }
        return append(byte) ? 1 : 0;
    case ParserState::Escape:
        if (!exactlyOne) {
            // The one reset that still asks for a byte: Reset swallows it.
            state = ParserState::Reset;
            return 1;
        }
        if (byte == frame::End) {
            state = ParserState::Delivered;
            handleMessage(rxType, rxPayload.data(), rxLength);
            return 0;
        }
        if (byte == frame::Escaped) {
            if (!append(frame::Lead))
                return 0;
            state = ParserState::Payload;
            return 1;
        }
        state = ParserState::Reset;
        return 0;
    case ParserState::Delivered:
        state = ParserState::Reset;
        return 0;
    }
    // A state value outside the table: start over.
    state = ParserState::Reset;
    return 0;
}

int AnalyzerLink::keepAlive() {
    static constexpr std::uint8_t zeros[2] = {0, 0};
    return sendRaw(zeros, sizeof zeros);
}

void AnalyzerLink::handleMessage(std::uint8_t type, const std::uint8_t* payload,
                                 std::uint16_t length) {
    const std::span<const std::uint8_t> body(payload, length);
    switch (type) {
    case msg::FirmwareText:
        storeText(firmwareLock, firmwareText, body);
        requestSerialNumber();
        break;
    case msg::SerialText:
        storeText(serialLock, serialText, body);
        sendMode(msg::ModeAfterHandshake);
        break;
    case msg::Channel:
        boardChannel = firstByte(body);
        break;
    case msg::ApReportLowBattery:
        // Shown once per run, and before the report it came with.
        if (!batteryWarned) {
            m_events.warnLowBattery();
            batteryWarned = true;
        }
        [[fallthrough]];
    case msg::ApReport:
        scanDone = false;
        processReport(body);
        break;
    case msg::ScanChannel:
        scanChannel = firstByte(body);
        break;
    case msg::ScanComplete:
        scanDone = true;
        break;
    default:
        // Unknown types change nothing and are not shown.
        return;
    }
    m_events.notifyDraw();
}

void AnalyzerLink::storeText(std::mutex& lock, char (&text)[TextSize],
                             std::span<const std::uint8_t> body) {
    // Up to the first zero byte or the end of the payload, cut to the 31
    // characters the field holds with its terminator.
    const std::string_view received(reinterpret_cast<const char*>(body.data()), body.size());
    std::lock_guard guard(lock);
    setText(text, received);
}

void AnalyzerLink::processReport(std::span<const std::uint8_t> body) {
    // Decode without the lock; hold it only to find and update the record.
    const std::optional<ApReport> decoded = decodeApReport(body);
    if (!decoded)
        return;
    if (decoded->channel)
        ieChannel = *decoded->channel;
    const std::uint8_t channel = ieChannel;
    m_scanList.withLock([&](RecordList& list) { return applyReport(list, *decoded, channel); });
}

int AnalyzerLink::sendCommand(std::uint8_t code) {
    if (code == msg::StartScan)
        scanRequested = true;
    return sendMessage(msg::Command, &code, 1);
}

int AnalyzerLink::sendMode(std::uint8_t value) {
    return sendMessage(msg::Mode, &value, 1);
}

void AnalyzerLink::copyFirmwareText(char (&destination)[TextSize]) const {
    std::lock_guard guard(firmwareLock);
    std::copy_n(firmwareText, TextSize, destination);
}

void AnalyzerLink::copySerialText(char (&destination)[TextSize]) const {
    std::lock_guard guard(serialLock);
    std::copy_n(serialText, TextSize, destination);
}

void AnalyzerLink::clearScanFlags() {
    scanRequested = false;
    scanDone = false;
}

} // namespace marlow
