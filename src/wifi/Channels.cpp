// Frequencies to channel numbers; see Channels.h.
#include "wifi/Channels.h"

#include <string>

namespace marlow::wifi {
namespace {

constexpr std::uint32_t Channel14Mhz = 2484;
constexpr std::uint32_t First24Mhz = 2412;
constexpr std::uint32_t Last24Mhz = 2472;
// The 5 GHz 20 MHz channels: 32 to 144 in steps of four, then 149 to 177.
constexpr std::uint32_t LowestChannel5 = 32;
constexpr std::uint32_t LastLowChannel5 = 144;
constexpr std::uint32_t FirstHighChannel5 = 149;
constexpr std::uint32_t HighestChannel5 = 177;

bool onGrid5(std::uint32_t channel) {
    if (channel >= LowestChannel5 && channel <= LastLowChannel5)
        return channel % 4 == 0;
    return channel >= FirstHighChannel5 && channel <= HighestChannel5 &&
           (channel - FirstHighChannel5) % 4 == 0;
}

} // namespace

Result<Bands> parseBands(std::string_view text) {
    Bands bands{false, false};
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view band = text.substr(0, comma);
        if (band == "2.4")
            bands.ghz24 = true;
        else if (band == "5")
            bands.ghz5 = true;
        else
            return fail(Error{"unknown band \"" + std::string(band) +
                              "\" (the bands are 2.4 and 5, as in --bands 2.4,5)"});
        if (comma == std::string_view::npos)
            return bands;
        text.remove_prefix(comma + 1);
    }
}

std::optional<std::uint8_t> channelOf(std::uint32_t frequencyMhz, Bands bands) {
    if (bands.ghz24) {
        if (frequencyMhz == Channel14Mhz)
            return 14;
        if (frequencyMhz >= First24Mhz && frequencyMhz <= Last24Mhz &&
            (frequencyMhz - First24Mhz) % 5 == 0)
            return static_cast<std::uint8_t>(1 + (frequencyMhz - First24Mhz) / 5);
    }
    if (bands.ghz5 && frequencyMhz > 5000 && frequencyMhz % 5 == 0) {
        const std::uint32_t channel = (frequencyMhz - 5000) / 5;
        if (onGrid5(channel))
            return static_cast<std::uint8_t>(channel);
    }
    return std::nullopt;
}

std::vector<std::uint8_t> sweepChannels(Bands bands) {
    std::vector<std::uint8_t> channels;
    if (bands.ghz24)
        for (std::uint8_t channel = 1; channel <= 14; ++channel)
            channels.push_back(channel);
    if (bands.ghz5)
        for (std::uint32_t channel = LowestChannel5; channel <= HighestChannel5; ++channel)
            if (onGrid5(channel))
                channels.push_back(static_cast<std::uint8_t>(channel));
    return channels;
}

} // namespace marlow::wifi
