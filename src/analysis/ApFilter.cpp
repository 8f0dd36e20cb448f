// The access-point filter of the coverage maps, and reading a MAC address.
#include "analysis/ApFilter.h"

#include "base/HexDigit.h"

#include <algorithm>

namespace marlow::analysis {

bool ApFilter::accepts(const HeardAp& ap) const {
    if (!ssids.empty() && std::find(ssids.begin(), ssids.end(), ap.ssid) == ssids.end())
        return false;
    if (mac && ap.mac != *mac)
        return false;
    return !channel || ap.channel == *channel;
}

bool ApFilter::empty() const {
    return ssids.empty() && !mac && !channel;
}

std::optional<MacAddress> parseMac(std::string_view text) {
    // With colons the text is six pairs and five separators.
    const bool separated = text.size() == 17;
    if (!separated && text.size() != 12)
        return std::nullopt;
    MacAddress mac{};
    std::size_t at = 0;
    for (std::size_t i = 0; i < mac.size(); ++i) {
        if (separated && i > 0 && text[at++] != ':')
            return std::nullopt;
        const int high = hexDigit(text[at]);
        const int low = hexDigit(text[at + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        mac[i] = static_cast<std::uint8_t>(high * 16 + low);
        at += 2;
    }
    return mac;
}

} // namespace marlow::analysis
