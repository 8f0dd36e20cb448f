// Access-point reports from the board: decoding a report payload (RSSI, the
// captured beacon's transmitter address and its SSID and DS parameter set
// elements) and folding a decoded report into a scan list.
//
// Decoding works on a byte span and touches nothing else, so the link, the
// fuzzer, the benchmark and the board-check tool share it. It never reads
// outside the span: a capture shorter than its 40-byte fixed part has no
// transmitter address and is refused; elements are walked only within the
// bytes actually present and within the first 2048 bytes of the element area;
// an element that runs past the area ends the walk.
#pragma once

#include "store/RecordList.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace marlow {

namespace report {
// Payload: unused byte, RSSI (signed dBm), N (16 bits, little-endian), capture.
constexpr std::size_t RssiOffset = 1;
constexpr std::size_t LengthOffset = 2;
constexpr std::size_t CaptureOffset = 4;
// Capture: 4-byte board prefix, 802.11 header (transmitter at 14), fixed fields.
constexpr std::size_t TransmitterOffset = 14;
constexpr std::size_t FixedPart = 40;
constexpr std::size_t MaxElementArea = 2048;
constexpr std::size_t MaxCapture = FixedPart + MaxElementArea;
constexpr std::size_t MaxSsid = 32;

constexpr std::uint8_t SsidElement = 0;
constexpr std::uint8_t DsParameterElement = 3;
} // namespace report

struct ApReport {
    std::int8_t rssi = 0;
    std::uint8_t macAddr[6] = {};
    char macText[16] = {};
    // The SSID element's first 32 bytes; the text ends at the first zero.
    char ssid[report::MaxSsid + 1] = {};
    // The DS parameter set's channel, when the walk met one.
    std::optional<std::uint8_t> channel;

    std::string_view ssidText() const;
};

std::optional<ApReport> decodeApReport(std::span<const std::uint8_t> payload);

enum class ReportResult { Updated, Added, Dropped };

// Adds the report's sample to the record of its transmitter, or inserts a new
// record (ordered by RSSI) on the given channel. A report whose record cannot
// be allocated is dropped. The caller holds whatever lock guards the list.
ReportResult applyReport(RecordList& list, const ApReport& decoded, std::uint8_t channel);

} // namespace marlow
