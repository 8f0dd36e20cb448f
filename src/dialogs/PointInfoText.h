// The lines of the point dialog, formatted from the selected-point summary.
// Each line is formatted into a 64-character buffer; a line that would not
// fit is cut to 63 characters rather than run past the buffer.
#pragma once

#include "store/SiteState.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace marlow {

inline constexpr std::size_t InfoLineSize = 64;

std::string xLine(double x);
std::string yLine(double y);
std::string apCountLine(std::int32_t count);
std::string macLine(std::string_view macText);
std::string ssidLine(std::string_view ssid);
std::string rssiLine(std::int32_t rssi);

struct PointInfoText {
    std::string x;
    std::string y;
    std::string apCount;
    std::string mac;
    std::string ssid;
    std::string rssi;
};

// The six value lines for the selected point. The text fields are read up
// to their terminator or their end, whichever comes first.
PointInfoText pointInfoText(const SiteState& site);

} // namespace marlow
