// Builds access-point report payloads the way the board sends them: the RSSI,
// N and a captured 802.11 beacon (board prefix, management header with the
// transmitter at capture offset 14, fixed fields, information elements).
// The inverse of decodeApReport, for whatever plays the board: simulators,
// tests, benchmarks and fuzzing seeds.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace marlow {

struct InfoElement {
    std::uint8_t id = 0;
    std::vector<std::uint8_t> data;
};

struct BeaconCapture {
    std::int8_t rssi = 0;
    std::array<std::uint8_t, 6> transmitter{};
    std::vector<InfoElement> elements;
};

// The elements of a typical beacon: SSID, supported rates, DS parameter set,
// TIM, then country, ERP, extended rates, HT capabilities, RSN and HT
// operation (where the handheld's walk ends, at the country element).
std::vector<InfoElement> typicalBeaconElements(std::string_view ssid, std::uint8_t channel);

// The report payload, with N the exact length of the capture.
std::vector<std::uint8_t> buildApReport(const BeaconCapture& beacon);

} // namespace marlow
