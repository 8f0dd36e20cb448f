// Decoding an access-point report payload from the board: the RSSI, the
// captured beacon's transmitter address and its SSID and DS parameter set
// elements.
//
// Decoding works on a byte span and touches nothing else, so the link, the
// fuzzer, the benchmark and the board-check tool share it. It never reads
// outside the span: a capture shorter than its 40-byte fixed part has no
// transmitter address and is refused; elements are walked only within the
// bytes actually present and within the first 2048 bytes of the element area;
// an element that runs past the area ends the walk.
#pragma once

#include "protocol/Protocol.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace marlow {

struct ApReport {
    std::int8_t rssi = 0;
    std::uint8_t macAddr[6] = {};
    // The SSID element's first 32 bytes; the text ends at the first zero.
    char ssid[report::MaxSsid + 1] = {};
    // The DS parameter set's channel, when the walk met one.
    std::optional<std::uint8_t> channel;

    std::string_view ssidText() const;
};

std::optional<ApReport> decodeApReport(std::span<const std::uint8_t> payload);

} // namespace marlow
