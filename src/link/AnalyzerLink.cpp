// The receive parser's delivery and the message handling of the analyzer link.
#include "AnalyzerLink.h"

#include "ApplyReport.h"
#include "protocol/Protocol.h"

#include <algorithm>
#include <chrono>

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
    lastArrival = std::chrono::steady_clock::now().time_since_epoch().count();
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
        processReport(body);
        break;
    case msg::ScanChannel:
        scanChannel = firstByte(body);
        m_scanList.withLock([&](RecordList& list) {
            if (m_sweeps.scanChannel(firstByte(body)))
                list.clear();
        });
        break;
    case msg::ScanComplete:
        m_scanList.withLock([&](RecordList&) {
            m_sweeps.scanComplete();
            scanDone = m_sweeps.measuredSweepEnded();
        });
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
    // Even a report too short to use is a report of the sweep.
    const std::optional<ApReport> decoded = decodeApReport(body);
    if (decoded && decoded->channel)
        ieChannel = *decoded->channel;
    const std::uint8_t channel = ieChannel;
    m_scanList.withLock([&](RecordList& list) {
        const ReportFate fate = m_sweeps.report();
        scanDone = m_sweeps.measuredSweepEnded();
        if (fate.restarted) {
            list.clear();
            droppedReports = 0;
        }
        if (decoded && fate.keep && applyReport(list, *decoded, channel) == ReportResult::Dropped)
            droppedReports += 1;
    });
}

int AnalyzerLink::sendCommand(std::uint8_t code) {
    if (code == msg::StartScan) {
        // The list, the flags and the sweep to take change together, so no
        // report of an earlier sweep can slip in between.
        m_scanList.withLock([&](RecordList& list) {
            list.clear();
            m_sweeps.startMeasurement();
            droppedReports = 0;
            scanDone = false;
            scanRequested = true;
        });
    }
    return sendMessage(msg::Command, &code, 1);
}

bool AnalyzerLink::boardIdleBeforeSweep() const {
    return m_scanList.withLock([&](const RecordList&) { return m_sweeps.boardIdleBeforeSweep(); });
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
    m_scanList.withLock([&](RecordList&) {
        m_sweeps.endMeasurement();
        scanRequested = false;
        scanDone = false;
    });
}

} // namespace marlow
