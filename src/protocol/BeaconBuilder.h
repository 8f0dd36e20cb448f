// Builds what the board sends about a beacon it captured: the capture (the
// board's 4-byte prefix, the 802.11 management header with the transmitter at
// capture offset 14, the fixed fields, then the information elements) and
// the report payload that carries it (unused byte, RSSI, N little-endian,
// capture). The inverse of decodeApReport, for the board and for whatever
// stands in for one: tests, benchmarks and fuzzing seeds.
#pragma once

#include "protocol/Protocol.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace marlow {

using MacAddress = std::array<std::uint8_t, 6>;

constexpr std::uint16_t BeaconIntervalTu = 100;
// An access point of an ESS that allows short preambles.
constexpr std::uint16_t EssCapability = 0x0001;
constexpr std::uint16_t ShortPreambleCapability = 0x0020;

struct InfoElement {
    std::uint8_t id = 0;
    std::vector<std::uint8_t> data;
};

struct BeaconFields {
    std::array<std::uint8_t, report::CapturePrefixLength> prefix{};
    MacAddress transmitter{};
    std::uint16_t sequence = 0; // the 12-bit sequence number
    std::uint64_t timestamp = 0;
    std::uint16_t capability = EssCapability | ShortPreambleCapability;
};

// Each element as its id, its length and its data, in order.
std::vector<std::uint8_t> encodeElements(std::span<const InfoElement> elements);

// What the board puts in a capture when it knows only the SSID and the
// channel: the SSID (cut to 32 bytes), the supported rates and the DS
// parameter set.
std::vector<InfoElement> basicBeaconElements(std::string_view ssid, std::uint8_t channel);

// The elements of a typical beacon: the basic three, TIM, then country, ERP,
// extended rates, HT capabilities, RSN and HT operation (where the handheld's
// walk ends, at the country element).
std::vector<InfoElement> typicalBeaconElements(std::string_view ssid, std::uint8_t channel);

// The captured beacon, the element bytes put in as they are given.
std::vector<std::uint8_t> beaconCapture(const BeaconFields& beacon,
                                        std::span<const std::uint8_t> elements);

// A report payload whose length field says declaredLength, which is the
// capture's own length for an honest report.
std::vector<std::uint8_t> reportPayload(std::int8_t rssi, std::span<const std::uint8_t> capture,
                                        std::uint16_t declaredLength);

inline std::vector<std::uint8_t> reportPayload(std::int8_t rssi,
                                               std::span<const std::uint8_t> capture) {
    return reportPayload(rssi, capture, static_cast<std::uint16_t>(capture.size()));
}

} // namespace marlow
