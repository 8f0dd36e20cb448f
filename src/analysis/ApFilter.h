// Which access points a coverage map counts: all of them, or those of some
// networks, one radio (by MAC address) or one channel.
#pragma once

#include "analysis/SurveyedPoints.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlow::analysis {

struct ApFilter {
    std::vector<std::string> ssids; // any of these; none: every SSID
    std::optional<MacAddress> mac;
    std::optional<int> channel;

    // True when the access point passes every condition that is set.
    bool accepts(const HeardAp& ap) const;
    // True when no condition is set, so that every access point passes.
    bool empty() const;
};

// Twelve hexadecimal digits, in either case, with or without colons
// between the pairs ("00:11:22:AA:bb:cc", "001122AABBCC"); nothing for
// anything else.
std::optional<MacAddress> parseMac(std::string_view text);

} // namespace marlow::analysis
