// The receive parser's delivery and the message handling of the analyzer link.
#include "AnalyzerLink.h"

#include "ApplyReport.h"
#include "protocol/Protocol.h"

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

int AnalyzerLink::parse(const std::uint8_t* bytes, int count) {
    return m_parser.parse(
        bytes, count, [this](std::uint8_t type, std::span<const std::uint8_t> payload) {
            handleMessage(type, payload.data(), static_cast<std::uint16_t>(payload.size()));
        });
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
