// The expected scan list, from the board's answer to a scan request.
#include "ExpectedScan.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <stdexcept>

namespace marlow::e2e {
namespace {

constexpr std::uint8_t ScanRequestType = 3;
constexpr std::uint8_t StartScanCode = 7;
// Report payload: unused byte, RSSI, N, then the capture, whose transmitter
// address sits at capture offset 14.
constexpr std::size_t RssiAt = 1;
constexpr std::size_t TransmitterAt = 4 + 14;

const sim::AccessPoint& accessPointOf(const sim::Scenario& scenario, const std::string& mac) {
    for (const sim::AccessPoint& ap : scenario.accessPoints) {
        if (macText(ap.mac) == mac)
            return ap;
    }
    throw std::runtime_error("the board reported " + mac + ", which is not in its scenario");
}

} // namespace

std::string macText(const sim::MacAddress& mac) {
    std::string text;
    for (const std::uint8_t byte : mac) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", byte);
        text += digits;
    }
    return text;
}

void PrintTo(const ScanRecord& record, std::ostream* out) {
    *out << record.mac << " \"" << record.ssid << "\" channel " << record.channel << ", "
         << record.samples << " samples, sum " << record.rssiSum;
}

std::vector<ScanRecord> scanRecordsOf(const SharedRecordList& scanList) {
    return scanList.withLock([](const RecordList& list) {
        std::vector<ScanRecord> records;
        for (const SurveyRecord& r : list)
            records.push_back({std::string(textOf(r.macText)), std::string(textOf(r.ssid)),
                               r.channel, static_cast<int>(r.sampleCount),
                               static_cast<int>(r.rssi)});
        return records;
    });
}

std::vector<ScanRecord> expectedScan(const sim::BoardConfig& config, sim::Point at) {
    sim::Board board(config);
    board.setSurveyPosition(at);
    const sim::Bytes request = sim::encodeFrame(ScanRequestType, std::array{StartScanCode});
    sim::FrameDecoder decoder;
    std::vector<ScanRecord> list;
    for (const sim::Frame& frame : decoder.feed(board.receive(request).bytes())) {
        if (frame.type != sim::ApReportType && frame.type != sim::ApReportLowBatteryType)
            continue;
        const int rssi = static_cast<std::int8_t>(frame.payload.at(RssiAt));
        if (frame.payload.size() < TransmitterAt + 6)
            throw std::runtime_error("the board sent a report too short for its transmitter");
        sim::MacAddress transmitter{};
        std::copy_n(frame.payload.begin() + TransmitterAt, transmitter.size(), transmitter.begin());
        const std::string mac = macText(transmitter);
        const auto known = std::find_if(list.begin(), list.end(),
                                        [&](const ScanRecord& r) { return r.mac == mac; });
        if (known != list.end()) {
            known->samples += 1;
            known->rssiSum += rssi;
            continue;
        }
        const sim::AccessPoint& ap = accessPointOf(config.scenario, mac);
        const auto above = std::find_if(list.begin(), list.end(),
                                        [&](const ScanRecord& r) { return r.rssiSum > rssi; });
        list.insert(above, {mac, ap.ssid, ap.channel, 1, rssi});
    }
    return list;
}

} // namespace marlow::e2e
