// One access-point observation at one survey point, and the helpers that fill
// its fixed-size text fields without ever running past them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace marlow {

// A plain value: copying one copies every field (the record copy).
struct SurveyRecord {
    std::int32_t x = 0;
    std::int32_t y = 0;
    // A stored point name may use all 32 bytes of its field without a
    // terminator; one more byte keeps such a name whole and terminated.
    char pointName[33] = {};
    char macText[16] = {};
    std::uint8_t macAddr[6] = {};
    // An SSID is at most 32 bytes, as the air, the board and the site file
    // carry it; one more keeps it terminated.
    char ssid[33] = {};
    // dBm; in scan-list records the running sum of the samples, which is
    // 32 bits wide so that a long scan cannot wrap it into a wrong average.
    std::int32_t rssi = 0;
    std::int16_t channel = 0;
    std::int32_t sampleCount = 0;
};

// Copies text into a fixed-size field, cut to fit with its terminator, and
// zeroes the rest of the field so that no earlier, longer text remains.
template <std::size_t N> void setText(char (&field)[N], std::string_view text) {
    const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    std::size_t i = 0;
    for (; i < n && text[i] != '\0'; ++i)
        field[i] = text[i];
    for (; i < N; ++i)
        field[i] = '\0';
}

// The text of a fixed-size field up to its terminator (or the whole field).
template <std::size_t N> std::string_view textOf(const char (&field)[N]) {
    std::size_t n = 0;
    while (n < N && field[n] != '\0')
        ++n;
    return {field, n};
}

// Twelve upper-case hexadecimal digits, as "%02X%02X%02X%02X%02X%02X" gives.
void formatMacText(char (&text)[16], const std::uint8_t (&mac)[6]);

// The floor of the RSSI scale: where every search for a point's strongest
// record starts, and the RSSI whose colour marks a point where nothing was
// heard.
constexpr std::int32_t NoSignalRssi = -120;

// The average RSSI of a scan-list record: the sum of its samples over their
// count, rounded toward zero. A record without samples shows its sum.
inline std::int32_t averageRssi(const SurveyRecord& record) {
    return record.sampleCount > 0 ? record.rssi / record.sampleCount : record.rssi;
}

// The one record that stands for a survey point where nothing was heard:
// channel 0 and a MAC of all zeros, with the given name, SSID and RSSI
// (points committed here and points loaded from a file fill them
// differently).
SurveyRecord placeholderRecord(std::int32_t x, std::int32_t y, std::string_view pointName,
                               std::string_view ssid, std::int32_t rssi);

// True for the record that stands for a point where nothing was heard.
inline bool isPlaceholder(const SurveyRecord& record) {
    return record.channel == 0;
}

} // namespace marlow
