// The metrics at one point, the access-point filter and MAC addresses.
#include "analysis/PointValues.h"

#include "store/SurveyRecord.h"

#include <gtest/gtest.h>

namespace marlow::analysis {
namespace {

HeardAp ap(std::uint8_t macTail, int rssi, int channel, const std::string& ssid = "lab") {
    return {{0, 0x11, 0, 0, 0, macTail}, ssid, channel, rssi};
}

// Strongest on channel 6 at -40. Channels 2 and 9 overlap it (4 and 3
// apart), 11 does not (5 apart), and the one on channel 10 is too weak to
// count as a neighbour; radio 1 is heard a second time, weaker, and is
// still one access point.
const SurveyedPoint Busy24Ghz{0,
                              0,
                              "P",
                              {ap(2, -70, 2), ap(1, -40, 6), ap(3, -60, 11), ap(4, -86, 10),
                               ap(5, -85, 9), ap(1, -45, 6, "lab")}};
const SurveyedPoint Busy5Ghz{0, 0, "P", {ap(1, -50, 36), ap(2, -60, 36), ap(3, -55, 40)}};
const SurveyedPoint Nothing{0, 0, "P", {}};

struct MetricCase {
    const char* what;
    const SurveyedPoint& point;
    Metric metric;
    int threshold;
    int expected;
};

TEST(PointValues, MetricsAtAPoint) {
    const MetricCase cases[] = {
        {"strongest", Busy24Ghz, Metric::Signal, -75, -40},
        {"second, not the same radio again", Busy24Ghz, Metric::Second, -75, -60},
        {"at or above -69", Busy24Ghz, Metric::Aps, -69, 2},
        {"at or above -70", Busy24Ghz, Metric::Aps, -70, 3},
        {"at or above -85", Busy24Ghz, Metric::Aps, -85, 4},
        {"2.4 GHz neighbours within 4 channels", Busy24Ghz, Metric::Cochannel, -75, 2},
        {"5 GHz neighbours on the channel only", Busy5Ghz, Metric::Cochannel, -75, 1},
        {"nothing heard: no signal", Nothing, Metric::Signal, -75, NoSignalRssi},
        {"nothing heard: no second", Nothing, Metric::Second, -75, NoSignalRssi},
        {"nothing heard: no access points", Nothing, Metric::Aps, -75, 0},
        {"nothing heard: no neighbours", Nothing, Metric::Cochannel, -75, 0},
    };
    for (const MetricCase& c : cases)
        EXPECT_EQ(pointValue(c.point, c.metric, {}, c.threshold), c.expected) << c.what;
}

TEST(PointValues, OnlyTheFilteredAccessPointsCount) {
    const SurveyedPoint point{
        0, 0, "P", {ap(1, -40, 6, "guest"), ap(2, -55, 1, "staff"), ap(3, -65, 11, "staff")}};
    EXPECT_EQ(pointValue(point, Metric::Signal, {{"staff"}, {}, {}}, -75), -55);
    EXPECT_EQ(pointValue(point, Metric::Signal, {{"staff", "guest"}, {}, {}}, -75), -40);
    EXPECT_EQ(pointValue(point, Metric::Second, {{"guest"}, {}, {}}, -75), NoSignalRssi);
    EXPECT_EQ(pointValue(point, Metric::Signal, {{}, point.heard[2].mac, {}}, -75), -65);
    EXPECT_EQ(pointValue(point, Metric::Aps, {{}, {}, 1}, -75), 1);
    EXPECT_EQ(pointValue(point, Metric::Signal, {{"nobody"}, {}, {}}, -75), NoSignalRssi);
}

TEST(ApFilter, EmptyOnlyWithoutConditions) {
    EXPECT_TRUE(ApFilter{}.empty());
    EXPECT_FALSE((ApFilter{{}, {}, 6}).empty());
    EXPECT_FALSE((ApFilter{{"lab"}, {}, {}}).empty());
}

TEST(ParseMac, ReadsTwelveDigitsWithOrWithoutColons) {
    const MacAddress expected{0x00, 0x11, 0x22, 0xaa, 0xbb, 0xcc};
    EXPECT_EQ(parseMac("001122AABBCC"), expected);
    EXPECT_EQ(parseMac("00:11:22:aa:bb:Cc"), expected);
    for (const char* bad :
         {"", "001122AABBC", "001122AABBCCD", "00:11:22:aa:bb:c", "00-11-22-aa-bb-cc",
          "0011:22:AA:BB:CC:", "00112GAABBCC", "00:11:22:aa:bb:cg"})
        EXPECT_FALSE(parseMac(bad)) << bad;
}

} // namespace
} // namespace marlow::analysis
