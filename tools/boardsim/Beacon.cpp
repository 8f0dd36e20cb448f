// Beacon captures and report payloads as the board sends them.
#include "boardsim/Beacon.h"

#include <algorithm>

namespace marlow::sim {
namespace {

// 1, 2, 5.5 and 11 Mbit/s as basic rates, 6, 9, 12 and 18 Mbit/s.
constexpr std::array<std::uint8_t, 8> SupportedRates = {0x82, 0x84, 0x8B, 0x96,
                                                        0x0C, 0x12, 0x18, 0x24};
constexpr std::uint16_t EssCapability = 0x0001;
constexpr std::uint16_t ShortPreambleCapability = 0x0020;

std::optional<int> hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return std::nullopt;
}

void putLittleEndian(Bytes& out, std::uint64_t value, int length) {
    for (int i = 0; i < length; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void putElement(Bytes& out, std::uint8_t id, std::span<const std::uint8_t> data) {
    out.push_back(id);
    out.push_back(static_cast<std::uint8_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
}

} // namespace

std::optional<MacAddress> parseMac(std::string_view text) {
    constexpr std::size_t TextLength = 17;
    if (text.size() != TextLength)
        return std::nullopt;
    MacAddress mac{};
    for (std::size_t i = 0; i < mac.size(); ++i) {
        const std::size_t at = 3 * i;
        const auto high = hexDigit(text[at]);
        const auto low = hexDigit(text[at + 1]);
        if (!high || !low || (at + 2 < TextLength && text[at + 2] != ':'))
            return std::nullopt;
        mac[i] = static_cast<std::uint8_t>(*high * 16 + *low);
    }
    return mac;
}

Bytes beaconCapture(const BeaconFields& beacon) {
    Bytes out(beacon.prefix.begin(), beacon.prefix.end());
    // Management header: a beacon, sent to everyone by the access point.
    out.insert(out.end(), {0x80, 0x00, 0x00, 0x00});
    out.insert(out.end(), 6, 0xFF);
    out.insert(out.end(), beacon.transmitter.begin(), beacon.transmitter.end());
    out.insert(out.end(), beacon.transmitter.begin(), beacon.transmitter.end());
    putLittleEndian(out, static_cast<std::uint16_t>((beacon.sequence & 0x0FFF) << 4), 2);
    // Fixed fields.
    putLittleEndian(out, beacon.timestamp, 8);
    putLittleEndian(out, BeaconIntervalTu, 2);
    putLittleEndian(out, EssCapability | ShortPreambleCapability, 2);
    // Elements.
    const std::size_t ssidLength = std::min(beacon.ssid.size(), MaxSsidLength);
    putElement(out, SsidElement,
               {reinterpret_cast<const std::uint8_t*>(beacon.ssid.data()), ssidLength});
    putElement(out, RatesElement, SupportedRates);
    putElement(out, DsParameterElement, std::array<std::uint8_t, 1>{beacon.channel});
    return out;
}

Bytes reportPayload(std::int8_t rssi, std::span<const std::uint8_t> capture,
                    std::uint16_t declaredLength) {
    Bytes out{0x00, static_cast<std::uint8_t>(rssi)};
    putLittleEndian(out, declaredLength, 2);
    out.insert(out.end(), capture.begin(), capture.end());
    return out;
}

} // namespace marlow::sim
