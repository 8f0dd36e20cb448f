// The bytes of each injectable fault.
#include "boardsim/Faults.h"

#include "boardsim/Beacon.h"

namespace marlow::sim {
namespace {

constexpr std::int8_t PhantomRssi = -50;
constexpr std::size_t StallSplit = 8;
constexpr std::size_t OversizePayload = 9000;
constexpr std::size_t ShortCaptureLength = 24;
constexpr std::size_t LongCaptureLength = 2200;
constexpr std::uint16_t TruncatedExcess = 100;
constexpr std::uint8_t TimElement = 5;
constexpr std::uint8_t TimLength = 250;
constexpr std::uint8_t BadEscape = 0x15;
constexpr std::array<std::uint8_t, 15> GarbageBytes = {
    0x00, 0x00, 0xFF, 0x12, 0x13, 0x14, 0x11, 0x00, 'n', 'o', 'i', 's', 'e', 0x0D, 0x0A};
constexpr std::array<std::string_view, AllFaults.size()> FaultNames = {
    "garbage",       "bad-escape",   "stall",     "oversize",
    "short-capture", "long-capture", "truncated", "unknown-type"};

Bytes phantomCapture(Fault fault) {
    BeaconFields beacon;
    beacon.transmitter = {0x02, 0xFA, 0x17,
                          0x00, 0x00, static_cast<std::uint8_t>(static_cast<int>(fault) + 1)};
    beacon.ssid = "fault-" + std::string(faultName(fault));
    beacon.channel = 1;
    beacon.prefix = {1, static_cast<std::uint8_t>(PhantomRssi), 0, 0};
    return beaconCapture(beacon);
}

Bytes phantomReportFrame(const Bytes& capture) {
    return encodeFrame(ApReportType, reportPayload(PhantomRssi, capture));
}

} // namespace

std::string_view faultName(Fault fault) {
    return FaultNames[static_cast<std::size_t>(fault)];
}

FaultListResult parseFaultList(std::string_view list) {
    FaultListResult result;
    if (list == "all") {
        result.faults.insert(AllFaults.begin(), AllFaults.end());
        return result;
    }
    while (result.error.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view name = list.substr(0, comma);
        bool known = false;
        for (Fault fault : AllFaults) {
            if (faultName(fault) == name) {
                result.faults.insert(fault);
                known = true;
            }
        }
        if (!known) {
            result.error = "unknown fault \"" + std::string(name) + "\"; the faults are";
            for (Fault fault : AllFaults)
                result.error += " " + std::string(faultName(fault));
            result.error += " (or all)";
        }
        if (comma == std::string_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
    return result;
}

Transmission faultTransmission(Fault fault) {
    Transmission out;
    Bytes capture = phantomCapture(fault);
    switch (fault) {
    case Fault::Garbage:
        out.raw(GarbageBytes);
        break;
    case Fault::BadEscape: {
        Bytes frame = phantomReportFrame(capture);
        const auto afterHeader = frame.begin() + 3 + ReportHeaderLength;
        frame.insert(afterHeader, {FrameLead, BadEscape});
        out.raw(frame);
        break;
    }
    case Fault::Stall: {
        const Bytes frame = phantomReportFrame(capture);
        out.raw(std::span(frame).first(StallSplit));
        out.pause(StallLength);
        out.raw(std::span(frame).subspan(StallSplit));
        break;
    }
    case Fault::Oversize:
        capture.resize(OversizePayload - ReportHeaderLength, 0x00);
        out.raw(phantomReportFrame(capture));
        break;
    case Fault::ShortCapture:
        capture.resize(ShortCaptureLength);
        out.raw(phantomReportFrame(capture));
        break;
    case Fault::LongCapture:
        while (capture.size() < LongCaptureLength) {
            capture.push_back(TimElement);
            capture.push_back(TimLength);
            capture.insert(capture.end(), TimLength, 0x00);
        }
        capture.resize(LongCaptureLength);
        out.raw(phantomReportFrame(capture));
        break;
    case Fault::Truncated:
        out.frame(ApReportType,
                  reportPayload(PhantomRssi, capture,
                                static_cast<std::uint16_t>(capture.size() + TruncatedExcess)));
        break;
    case Fault::UnknownType:
        out.frame(0x05, std::array<std::uint8_t, 1>{0x01});
        out.frame(0x13, std::array<std::uint8_t, 1>{0x11});
        out.frame(0xFF, {});
        break;
    }
    return out;
}

} // namespace marlow::sim
