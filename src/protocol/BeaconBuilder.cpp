// Beacon captures and report payloads; see BeaconBuilder.h.
#include "protocol/BeaconBuilder.h"

#include <algorithm>

namespace marlow {
namespace {

using Bytes = std::vector<std::uint8_t>;

// 1, 2, 5.5 and 11 Mbit/s as basic rates, 6, 9, 12 and 18 Mbit/s.
constexpr std::array<std::uint8_t, 8> SupportedRates = {0x82, 0x84, 0x8B, 0x96,
                                                        0x0C, 0x12, 0x18, 0x24};
constexpr std::uint8_t BeaconFrameControl = 0x80; // management, beacon
constexpr std::uint8_t Broadcast = 0xFF;

void putLittleEndian(Bytes& out, std::uint64_t value, int length) {
    for (int i = 0; i < length; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

} // namespace

Bytes encodeElements(std::span<const InfoElement> elements) {
    Bytes out;
    for (const InfoElement& element : elements) {
        out.push_back(element.id);
        out.push_back(static_cast<std::uint8_t>(element.data.size()));
        out.insert(out.end(), element.data.begin(), element.data.end());
    }
    return out;
}

std::vector<InfoElement> basicBeaconElements(std::string_view ssid, std::uint8_t channel) {
    const std::string_view kept = ssid.substr(0, std::min(ssid.size(), report::MaxSsid));
    return {{report::SsidElement, {kept.begin(), kept.end()}},
            {report::RatesElement, {SupportedRates.begin(), SupportedRates.end()}},
            {report::DsParameterElement, {channel}}};
}

std::vector<InfoElement> typicalBeaconElements(std::string_view ssid, std::uint8_t channel) {
    std::vector<InfoElement> elements = basicBeaconElements(ssid, channel);
    elements.push_back({report::TimElement, {0x00, 0x01, 0x00, 0x00}});
    elements.push_back({7, {'G', 'B', ' ', 0x01, 0x0D, 0x14}});
    elements.push_back({42, {0x00}});
    elements.push_back({50, {0x30, 0x48, 0x60, 0x6C}});
    elements.push_back({45, Bytes(26, 0x2C)});
    elements.push_back({48, {0x01, 0x00, 0x00, 0x0F, 0xAC, 0x04, 0x01, 0x00, 0x00, 0x0F,
                             0xAC, 0x04, 0x01, 0x00, 0x00, 0x0F, 0xAC, 0x02, 0x00, 0x00}});
    elements.push_back({61, Bytes(22, 0x00)});
    elements.back().data[0] = channel;
    return elements;
}

Bytes beaconCapture(const BeaconFields& beacon, std::span<const std::uint8_t> elements) {
    Bytes out(beacon.prefix.begin(), beacon.prefix.end());
    // Management header: a beacon, sent to everyone by the access point,
    // which is also the BSSID.
    out.insert(out.end(), {BeaconFrameControl, 0x00, 0x00, 0x00});
    out.insert(out.end(), 6, Broadcast);
    out.insert(out.end(), beacon.transmitter.begin(), beacon.transmitter.end());
    out.insert(out.end(), beacon.transmitter.begin(), beacon.transmitter.end());
    putLittleEndian(out, static_cast<std::uint16_t>((beacon.sequence & 0x0FFF) << 4), 2);
    // Fixed fields.
    putLittleEndian(out, beacon.timestamp, 8);
    putLittleEndian(out, BeaconIntervalTu, 2);
    putLittleEndian(out, beacon.capability, 2);
    out.insert(out.end(), elements.begin(), elements.end());
    return out;
}

Bytes reportPayload(std::int8_t rssi, std::span<const std::uint8_t> capture,
                    std::uint16_t declaredLength) {
    Bytes out{0x00, static_cast<std::uint8_t>(rssi)};
    putLittleEndian(out, declaredLength, 2);
    out.insert(out.end(), capture.begin(), capture.end());
    return out;
}

} // namespace marlow
