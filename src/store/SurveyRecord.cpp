// Survey records: MAC texts and the placeholder of a point where nothing
// was heard.
#include "SurveyRecord.h"

#include <array>
#include <cstring>

namespace marlow {

void formatMacText(char (&text)[16], const std::uint8_t (&mac)[6]) {
    // Two digits per byte from one table look-up; loading a large site
    // formats one MAC text per record.
    static constexpr auto pairs = [] {
        std::array<char, 512> table{};
        constexpr char digits[] = "0123456789ABCDEF";
        for (std::size_t i = 0; i < 256; ++i) {
            table[2 * i] = digits[i >> 4];
            table[2 * i + 1] = digits[i & 0x0F];
        }
        return table;
    }();
    for (std::size_t i = 0; i < 6; ++i)
        std::memcpy(text + 2 * i, &pairs[2 * std::size_t{mac[i]}], 2);
    std::memset(text + 12, 0, sizeof text - 12);
}

SurveyRecord placeholderRecord(std::int32_t x, std::int32_t y, std::string_view pointName,
                               std::string_view ssid, std::int32_t rssi) {
    SurveyRecord record;
    record.x = x;
    record.y = y;
    setText(record.pointName, pointName);
    formatMacText(record.macText, record.macAddr);
    setText(record.ssid, ssid);
    record.rssi = rssi;
    return record;
}

} // namespace marlow
