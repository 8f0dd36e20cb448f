#include "wifi/Channels.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <tuple>

namespace marlow::wifi {
namespace {

TEST(Channels, FrequenciesMapToTheirBandsChannelsOnly) {
    const Bands both{true, true};
    const std::pair<std::uint32_t, int> grid[] = {{2412, 1},  {2472, 13},  {2484, 14},
                                                  {5180, 36}, {5745, 149}, {5885, 177}};
    for (const auto& [mhz, channel] : grid)
        EXPECT_EQ(channelOf(mhz, both), channel) << mhz;
    // Off the grid, between grid channels, or 6 GHz (whose numbers collide
    // with 2.4 GHz ones): never a channel.
    for (std::uint32_t mhz : {2411U, 2477U, 5170U, 5750U, 5890U, 5955U, 6115U})
        EXPECT_FALSE(channelOf(mhz, both)) << mhz;
    EXPECT_FALSE(channelOf(5180, Bands{}));
    EXPECT_FALSE(channelOf(2412, Bands{false, true}));
}

TEST(Channels, SweepVisitsEveryReportableChannelInOrder) {
    const std::vector<std::uint8_t> both = sweepChannels({true, true});
    EXPECT_TRUE(std::is_sorted(both.begin(), both.end()));
    for (std::uint32_t mhz = 2400; mhz < 6000; ++mhz) {
        if (const std::optional<std::uint8_t> channel = channelOf(mhz, {true, true})) {
            EXPECT_NE(std::find(both.begin(), both.end(), *channel), both.end()) << mhz;
        }
    }
    EXPECT_EQ(sweepChannels({}).size(), 14U);
}

TEST(Channels, BandsParse) {
    for (const auto& [text, ghz24, ghz5] : {std::tuple("2.4,5", true, true), {"5", false, true}}) {
        const Result<Bands> bands = parseBands(text);
        ASSERT_TRUE(bands) << text;
        EXPECT_EQ(std::pair(bands->ghz24, bands->ghz5), std::pair(ghz24, ghz5)) << text;
    }
    for (const char* bad : {"", "6", "2.4,", "2.4;5"})
        EXPECT_FALSE(parseBands(bad)) << bad;
}

} // namespace
} // namespace marlow::wifi
