#include "wifi/Channels.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace marlow::wifi {
namespace {

TEST(Channels, FrequenciesMapToTheirBandsChannelsOnly) {
    const Bands both{true, true};
    EXPECT_EQ(channelOf(2412, both), 1);
    EXPECT_EQ(channelOf(2472, both), 13);
    EXPECT_EQ(channelOf(2484, both), 14);
    EXPECT_EQ(channelOf(5180, both), 36);
    EXPECT_EQ(channelOf(5745, both), 149);
    EXPECT_EQ(channelOf(5885, both), 177);
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
    const Result<Bands> both = parseBands("2.4,5");
    ASSERT_TRUE(both);
    EXPECT_TRUE(both->ghz24 && both->ghz5);
    const Result<Bands> five = parseBands("5");
    ASSERT_TRUE(five);
    EXPECT_TRUE(!five->ghz24 && five->ghz5);
    for (const char* bad : {"", "6", "2.4,", "2.4;5"})
        EXPECT_FALSE(parseBands(bad)) << bad;
}

} // namespace
} // namespace marlow::wifi
