// Report payload building; see ApReportBuilder.h.
#include "ApReportBuilder.h"

#include "ApReport.h"

namespace marlow {

std::vector<InfoElement> typicalBeaconElements(std::string_view ssid, std::uint8_t channel) {
    std::vector<InfoElement> elements;
    elements.push_back({report::SsidElement, {ssid.begin(), ssid.end()}});
    elements.push_back({1, {0x82, 0x84, 0x8B, 0x96, 0x0C, 0x12, 0x18, 0x24}});
    elements.push_back({report::DsParameterElement, {channel}});
    elements.push_back({5, {0x00, 0x01, 0x00, 0x00}});
    elements.push_back({7, {'G', 'B', ' ', 0x01, 0x0D, 0x14}});
    elements.push_back({42, {0x00}});
    elements.push_back({50, {0x30, 0x48, 0x60, 0x6C}});
    elements.push_back({45, std::vector<std::uint8_t>(26, 0x2C)});
    elements.push_back({48, {0x01, 0x00, 0x00, 0x0F, 0xAC, 0x04, 0x01, 0x00, 0x00, 0x0F,
                             0xAC, 0x04, 0x01, 0x00, 0x00, 0x0F, 0xAC, 0x02, 0x00, 0x00}});
    elements.push_back({61, std::vector<std::uint8_t>(22, 0x00)});
    elements.back().data[0] = channel;
    return elements;
}

std::vector<std::uint8_t> buildApReport(const BeaconCapture& beacon) {
    std::vector<std::uint8_t> capture = {
        0x00, 0x00, 0x00, 0x00,             // board prefix
        0x80, 0x00,                         // frame control: management, beacon
        0x00, 0x00,                         // duration
        0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, // address 1: broadcast
    };
    capture.insert(capture.end(), beacon.transmitter.begin(), beacon.transmitter.end());
    capture.insert(capture.end(), beacon.transmitter.begin(), beacon.transmitter.end());
    const std::uint8_t fixed[] = {
        0x10, 0x00,                                     // sequence control
        0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, // timestamp
        0x64, 0x00,                                     // beacon interval: 100 TU
        0x31, 0x04,                                     // capability information
    };
    capture.insert(capture.end(), std::begin(fixed), std::end(fixed));
    for (const InfoElement& element : beacon.elements) {
        capture.push_back(element.id);
        capture.push_back(static_cast<std::uint8_t>(element.data.size()));
        capture.insert(capture.end(), element.data.begin(), element.data.end());
    }

    const auto n = static_cast<std::uint16_t>(capture.size());
    const std::uint8_t head[] = {0x00, static_cast<std::uint8_t>(beacon.rssi),
                                 static_cast<std::uint8_t>(n & 0xFF),
                                 static_cast<std::uint8_t>(n >> 8)};
    capture.insert(capture.begin(), std::begin(head), std::end(head));
    return capture;
}

} // namespace marlow
