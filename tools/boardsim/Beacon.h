// The board's reports of captured beacons: the captured 802.11 frame (a
// 4-byte board prefix, the management header, the fixed fields and the SSID,
// supported-rates and DS-parameter-set elements) and the report payload that
// carries it (unused byte, RSSI, capture length N little-endian, capture).
#pragma once

#include "boardsim/FrameCodec.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace marlow::sim {

using MacAddress = std::array<std::uint8_t, 6>;

// Message types the board sends.
constexpr std::uint8_t FirmwareTextType = 1;
constexpr std::uint8_t SerialTextType = 2;
constexpr std::uint8_t ApReportLowBatteryType = 13;
constexpr std::uint8_t ApReportType = 15;
constexpr std::uint8_t ScanChannelType = 16;
constexpr std::uint8_t ScanCompleteType = 17;

// A capture starts with the board's prefix; the transmitter address sits
// at capture offset 14, the fixed fields at 28 and the elements at 40.
constexpr std::size_t CapturePrefixLength = 4;
constexpr std::size_t ReportHeaderLength = 4; // unused, RSSI, N
constexpr std::uint16_t BeaconIntervalTu = 100;
constexpr std::size_t MaxSsidLength = 32;

constexpr std::uint8_t SsidElement = 0;
constexpr std::uint8_t RatesElement = 1;
constexpr std::uint8_t DsParameterElement = 3;

// "00:11:22:33:44:55", hex digits in either case.
std::optional<MacAddress> parseMac(std::string_view text);

struct BeaconFields {
    MacAddress transmitter{};
    std::string ssid;
    std::uint8_t channel = 1;
    std::uint16_t sequence = 0; // 12-bit sequence number
    std::uint64_t timestamp = 0;
    std::array<std::uint8_t, CapturePrefixLength> prefix{};
};

// A beacon as the board captures it; its length is 55 plus the SSID length.
Bytes beaconCapture(const BeaconFields& beacon);

// A report payload whose length field says declaredLength, which is the
// capture's own length for an honest report.
Bytes reportPayload(std::int8_t rssi, std::span<const std::uint8_t> capture,
                    std::uint16_t declaredLength);

inline Bytes reportPayload(std::int8_t rssi, std::span<const std::uint8_t> capture) {
    return reportPayload(rssi, capture, static_cast<std::uint16_t>(capture.size()));
}

} // namespace marlow::sim
