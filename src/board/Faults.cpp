// The bytes of each injectable fault, and the line that injects them.
#include "board/Faults.h"

#include "protocol/BeaconBuilder.h"
#include "protocol/FrameCodec.h"
#include "protocol/Protocol.h"

#include <string>

namespace marlow::board {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t FaultChannel = 1;
constexpr std::int8_t PhantomRssi = -50;
constexpr std::size_t StallSplit = 8;
constexpr std::size_t OversizePayload = 9000;
constexpr std::size_t ShortCaptureLength = 24;
constexpr std::size_t LongCaptureLength = 2200;
constexpr std::uint16_t TruncatedExcess = 100;
constexpr std::uint8_t TimLength = 250;
constexpr std::uint8_t BadEscape = 0x15;
// Lead Start and the type come before the payload.
constexpr std::size_t FrameHead = 3;
constexpr std::array<std::uint8_t, 15> GarbageBytes = {
    0x00, 0x00, 0xFF, 0x12, 0x13, 0x14, 0x11, 0x00, 'n', 'o', 'i', 's', 'e', 0x0D, 0x0A};
constexpr std::array<std::string_view, AllFaults.size()> FaultNames = {
    "garbage",       "bad-escape",   "stall",     "oversize",
    "short-capture", "long-capture", "truncated", "unknown-type"};

Bytes phantomCapture(Fault fault) {
    BeaconFields beacon;
    beacon.transmitter = {0x02, 0xFA, 0x17,
                          0x00, 0x00, static_cast<std::uint8_t>(static_cast<int>(fault) + 1)};
    beacon.prefix = {FaultChannel, static_cast<std::uint8_t>(PhantomRssi), 0, 0};
    const std::string ssid = "fault-" + std::string(faultName(fault));
    return beaconCapture(beacon, encodeElements(basicBeaconElements(ssid, FaultChannel)));
}

Bytes phantomReportFrame(const Bytes& capture) {
    Bytes frame;
    appendFrame(frame, msg::ApReport, reportPayload(PhantomRssi, capture));
    return frame;
}

} // namespace

std::string_view faultName(Fault fault) {
    return FaultNames[static_cast<std::size_t>(fault)];
}

Result<FaultSet> parseFaultList(std::string_view list) {
    FaultSet faults;
    if (list == "all")
        return FaultSet(AllFaults.begin(), AllFaults.end());
    for (;;) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        bool known = false;
        for (Fault fault : AllFaults) {
            if (faultName(fault) == name) {
                faults.insert(fault);
                known = true;
            }
        }
        if (!known) {
            std::string error = "unknown fault \"" + std::string(name) + "\"; the faults are";
            for (Fault fault : AllFaults)
                error += " " + std::string(faultName(fault));
            return fail(Error{error + " (or all)"});
        }
        if (comma == std::string_view::npos)
            return faults;
        list.remove_prefix(comma + 1);
    }
}

void sendFault(Fault fault, BoardLine& line) {
    Bytes capture = phantomCapture(fault);
    switch (fault) {
    case Fault::Garbage:
        line.raw(GarbageBytes);
        break;
    case Fault::BadEscape: {
        Bytes frame = phantomReportFrame(capture);
        const auto afterHeader = frame.begin() + FrameHead + report::CaptureOffset;
        frame.insert(afterHeader, {frame::Lead, BadEscape});
        line.raw(frame);
        break;
    }
    case Fault::Stall: {
        const Bytes frame = phantomReportFrame(capture);
        line.raw(std::span(frame).first(StallSplit));
        line.pause(StallLength);
        line.raw(std::span(frame).subspan(StallSplit));
        break;
    }
    case Fault::Oversize:
        capture.resize(OversizePayload - report::CaptureOffset, 0x00);
        line.raw(phantomReportFrame(capture));
        break;
    case Fault::ShortCapture:
        capture.resize(ShortCaptureLength);
        line.raw(phantomReportFrame(capture));
        break;
    case Fault::LongCapture:
        while (capture.size() < LongCaptureLength) {
            capture.push_back(report::TimElement);
            capture.push_back(TimLength);
            capture.insert(capture.end(), TimLength, 0x00);
        }
        capture.resize(LongCaptureLength);
        line.raw(phantomReportFrame(capture));
        break;
    case Fault::Truncated:
        line.frame(msg::ApReport,
                   reportPayload(PhantomRssi, capture,
                                 static_cast<std::uint16_t>(capture.size() + TruncatedExcess)));
        break;
    case Fault::UnknownType:
        line.frame(0x05, std::array<std::uint8_t, 1>{0x01});
        line.frame(frame::End, std::array<std::uint8_t, 1>{frame::Lead});
        line.frame(0xFF, {});
        break;
    }
}

FaultInjector::FaultInjector(BoardLine& inner, FaultSet faults)
    : m_inner(inner), m_faults(std::move(faults)) {}

void FaultInjector::frame(std::uint8_t type, std::span<const std::uint8_t> payload) {
    m_inner.frame(type, payload);
    const bool channelOne =
        type == msg::ScanChannel && !payload.empty() && payload[0] == FaultChannel;
    if (!channelOne)
        return;
    for (Fault fault : m_faults)
        sendFault(fault, m_inner);
}

void FaultInjector::raw(std::span<const std::uint8_t> bytes) {
    m_inner.raw(bytes);
}

void FaultInjector::pause(std::chrono::milliseconds length) {
    m_inner.pause(length);
}

} // namespace marlow::board
