// Channel numbers for the frequencies an adapter reports, and the bands a
// survey takes in. The handheld's channel grid and the site file's one
// channel byte know 2.4 GHz channels 1 to 14; 5 GHz channel numbers (32 to
// 177) do not collide with those, 6 GHz numbers do and are never reported.
#pragma once

#include "base/Result.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace marlow::wifi {

struct Bands {
    bool ghz24 = true;
    bool ghz5 = false;
};

// "2.4", "5" or both, comma-separated ("2.4,5").
Result<Bands> parseBands(std::string_view text);

// The channel a frequency in MHz belongs to, when it lies in one of the
// bands taken in; nothing otherwise.
std::optional<std::uint8_t> channelOf(std::uint32_t frequencyMhz, Bands bands);

// Every channel the bands can report, in ascending order: what a sweep
// visits.
std::vector<std::uint8_t> sweepChannels(Bands bands);

} // namespace marlow::wifi
