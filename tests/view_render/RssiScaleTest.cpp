// The RSSI colour scale: band limits and the colours of each band.
#include "view/RssiScale.h"

#include <climits>
#include <gtest/gtest.h>

namespace marlow {
namespace {

struct BandCase {
    int rssi;
    int band;
};

TEST(RssiScale, BandsAreTestedFromTheTop) {
    const BandCase cases[] = {
        {127, 1}, {0, 1},   {-39, 1}, {-40, 2}, {-49, 2}, {-50, 3}, {-59, 3},  {-60, 4},
        {-69, 4}, {-70, 5}, {-79, 5}, {-80, 6}, {-90, 6}, {-95, 6}, {-120, 6}, {INT_MIN, 6},
    };
    for (const BandCase& c : cases) {
        EXPECT_EQ(rssiBandNumber(c.rssi), c.band) << "rssi " << c.rssi;
        EXPECT_EQ(rssiBand(c.rssi).number, c.band) << "rssi " << c.rssi;
    }
}

// The colour legend shows these swatch values beside its ranges; the marks
// of the map must use the very same colours.
struct BandLook {
    std::uint32_t colorRef;
    RgbColor rgb;
    int penWidth;
};

TEST(RssiScale, MarksAndLegendShareTheBandColours) {
    const BandLook looks[RssiBandCount] = {
        {0x0000FF, {255, 0, 0}, 1}, {0x0080FF, {255, 128, 0}, 1}, {0x00FFFF, {255, 255, 0}, 1},
        {0x00FF00, {0, 255, 0}, 1}, {0xFF0000, {0, 0, 255}, 1},   {0x000000, {0, 0, 0}, 2},
    };
    for (int band = 1; band <= RssiBandCount; ++band) {
        const RssiBand& scale = RssiBands[static_cast<std::size_t>(band - 1)];
        const BandLook& look = looks[band - 1];
        EXPECT_EQ(scale.number, band);
        EXPECT_EQ(scale.brush.colorRef(), look.colorRef) << "band " << band;
        EXPECT_EQ(scale.pen.colorRef(), look.colorRef) << "band " << band;
        EXPECT_EQ(scale.brush, look.rgb) << "band " << band;
        EXPECT_EQ(scale.penWidth, look.penWidth) << "band " << band;
    }
}

TEST(RssiScale, PointWithNothingHeardIsBlackWithAThickOutline) {
    const RssiBand& band = rssiBand(-90);
    EXPECT_EQ(band.brush, toolColor::Black);
    EXPECT_EQ(band.pen, toolColor::Black);
    EXPECT_EQ(band.penWidth, 2);
}

} // namespace
} // namespace marlow
