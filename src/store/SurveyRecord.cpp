#include "SurveyRecord.h"

#include <cstring>

namespace marlow {

void formatMacText(char (&text)[16], const std::uint8_t (&mac)[6]) {
    static constexpr char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < 6; ++i) {
        text[2 * i] = digits[mac[i] >> 4];
        text[2 * i + 1] = digits[mac[i] & 0x0F];
    }
    std::memset(text + 12, 0, sizeof text - 12);
}

} // namespace marlow
