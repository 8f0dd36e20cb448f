// Formatting of the point dialog's lines into their 64-character buffers.
#include "dialogs/PointInfoText.h"

#include "store/SurveyRecord.h"

#include <algorithm>
#include <cstdio>

namespace marlow {

namespace {

using InfoLine = char[InfoLineSize];

// A text field's characters, limited to what a line can show at all.
int printableLength(std::string_view text) {
    return static_cast<int>(std::min(text.size(), InfoLineSize));
}

} // namespace

std::string xLine(double x) {
    InfoLine line;
    std::snprintf(line, sizeof line, "X: %.2f", x);
    return line;
}

std::string yLine(double y) {
    InfoLine line;
    std::snprintf(line, sizeof line, "Y: %.2f", y);
    return line;
}

std::string apCountLine(std::int32_t count) {
    InfoLine line;
    std::snprintf(line, sizeof line, "AP's: %d", static_cast<int>(count));
    return line;
}

std::string macLine(std::string_view macText) {
    InfoLine line;
    std::snprintf(line, sizeof line, "MAC Address: %.*s", printableLength(macText), macText.data());
    return line;
}

std::string ssidLine(std::string_view ssid) {
    InfoLine line;
    std::snprintf(line, sizeof line, "SSID: %.*s", printableLength(ssid), ssid.data());
    return line;
}

std::string rssiLine(std::int32_t rssi) {
    InfoLine line;
    std::snprintf(line, sizeof line, "RSSI: %d", static_cast<int>(rssi));
    return line;
}

PointInfoText pointInfoText(const SiteState& site) {
    return {xLine(site.selX),
            yLine(site.selY),
            apCountLine(site.selApCount),
            macLine(textOf(site.selBestMacText)),
            ssidLine(textOf(site.selBestSsid)),
            rssiLine(site.selBestRssi)};
}

} // namespace marlow
