// The RSSI colour scale, and the site picture: the plan's pixels and colour
// table kept as they are, marks rasterised into it in the nearest table
// colours and clipped to it, and its 32-bit copy kept in step.
#include "view/SitePicture.h"

#include "RenderTestSupport.h"
#include "SiteFixtures.h"

#include <climits>
#include <gtest/gtest.h>

namespace marlow {
namespace {

using test::TintedBandEntry;
using test::tintedPlan;

constexpr std::uint8_t Grey = 128;
constexpr std::uint8_t WhiteEntry = 255;

TEST(RssiScale, BandsAreTestedFromTheTop) {
    const int bandOf[][2] = {{127, 1}, {-39, 1}, {-40, 2}, {-49, 2}, {-50, 3}, {-59, 3},
                             {-60, 4}, {-69, 4}, {-70, 5}, {-79, 5}, {-80, 6}, {INT_MIN, 6}};
    for (const auto& [rssi, band] : bandOf) {
        EXPECT_EQ(rssiBandNumber(rssi), band) << "rssi " << rssi;
        EXPECT_EQ(rssiBand(rssi).number, band) << "rssi " << rssi;
    }
}

void expectDisplayInStep(const SitePicture& picture) {
    EXPECT_EQ(picture.display(), picture.indexed().convertToFormat(QImage::Format_RGB32));
}

TEST(SitePicture, KeepsThePlansPixelsAndColourTableTopDownOrBottomUp) {
    for (const bool topDown : {true, false}) {
        SiteBitmap plan = test::testPlan(13, 7);
        if (!topDown) {
            plan.topDown = false;
            for (std::int32_t y = 0; y < 7; ++y)
                std::copy_n(test::testPlan(13, 7).row(y), plan.rowStride(),
                            plan.pixels.data() + (6 - y) * plan.rowStride());
        }
        const SitePicture picture(plan);
        ASSERT_EQ(picture.width(), 13);
        ASSERT_EQ(picture.height(), 7);
        EXPECT_EQ(picture.indexed().format(), QImage::Format_Indexed8);
        ASSERT_EQ(picture.indexed().colorCount(), 256);
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(picture.indexed().color(i) & 0xFFFFFF,
                      plan.rgb(static_cast<std::uint8_t>(i)));
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 13; ++x)
                EXPECT_EQ(picture.indexed().pixelIndex(x, y), (x + 3 * y) % 256)
                    << "top-down " << topDown << " at " << x << "," << y;
        }
        expectDisplayInStep(picture);
    }
}

TEST(SitePicture, PlanWithoutItsPixelsGivesAnEmptyPicture) {
    SiteBitmap shortPlan = test::testPlan(13, 7);
    shortPlan.pixels.resize(shortPlan.pixels.size() - 1);
    SiteBitmap noWidth = test::testPlan(13, 7);
    noWidth.width = 0;
    for (const SiteBitmap& plan : {shortPlan, noWidth}) {
        SitePicture picture(plan);
        EXPECT_TRUE(picture.indexed().isNull());
        EXPECT_TRUE(picture.display().isNull());
        picture.drawMark(3, 3, -30);
        picture.eraseMark({0, 0, 30, 30});
    }
}

TEST(SitePicture, MarkTakesTheNearestTableEntryOfItsBand) {
    const int rssiOfBand[RssiBandCount] = {-30, -45, -55, -65, -75, -120};
    for (int band = 1; band <= RssiBandCount; ++band) {
        SitePicture picture(tintedPlan(60, 40, Grey));
        picture.drawMark(30, 20, rssiOfBand[band - 1]);
        const std::uint8_t entry = TintedBandEntry[band - 1];
        // The fill and the outline alike.
        EXPECT_EQ(picture.indexed().pixelIndex(30, 20), entry) << "band " << band;
        EXPECT_EQ(picture.indexed().pixelIndex(20, 20), entry) << "band " << band;
        EXPECT_EQ(picture.display().pixel(30, 20), picture.indexed().color(entry));
        expectDisplayInStep(picture);
    }
    // Red (255, 0, 0) lies nearest to grey 85 of a grey-scale table.
    SitePicture grey(test::testPlan(60, 40));
    grey.drawMark(30, 20, -30);
    EXPECT_EQ(grey.indexed().pixelIndex(30, 20), 85);
}

// The disc fills the box (x - 10, y - 10)-(x + 10, y + 10) without its right
// and bottom edges, and leaves the box's corners; drawMarkIn follows its box.
TEST(SitePicture, DiscIsInscribedInItsBox) {
    const struct {
        int dx, dy;
        bool painted;
    } cases[] = {
        {0, 0, true},      {-10, 0, true}, {9, 0, true},    {0, -10, true}, {0, 9, true},
        {-10, -1, true},   {10, 0, false}, {-11, 0, false}, {0, 10, false}, {0, -11, false},
        {-10, -10, false}, {9, 9, false},  {-9, 8, false},  {-7, -7, true}, {6, 6, true},
    };
    for (const int rssi : {-30, -90}) {
        SitePicture picture(tintedPlan(60, 40, Grey));
        picture.drawMark(30, 20, rssi);
        for (const auto& c : cases)
            EXPECT_EQ(picture.indexed().pixelIndex(30 + c.dx, 20 + c.dy) != Grey, c.painted)
                << "rssi " << rssi << " at " << c.dx << "," << c.dy;
    }
    SitePicture picture(tintedPlan(60, 40, Grey));
    picture.drawMarkIn({10, 10, 30, 30}, -45);
    EXPECT_EQ(picture.indexed().pixelIndex(20, 20), TintedBandEntry[1]);
    EXPECT_EQ(picture.indexed().pixelIndex(10, 20), TintedBandEntry[1]);
    EXPECT_EQ(picture.indexed().pixelIndex(30, 20), Grey);
    EXPECT_EQ(picture.indexed().pixelIndex(10, 10), Grey);
}

TEST(SitePicture, MarksAreClippedToThePictureEvenAtExtremeCoordinates) {
    SitePicture picture(tintedPlan(40, 30, Grey));
    const QImage before = picture.indexed().copy();
    const std::int32_t far[][2] = {
        {-10, 15},    {50, 15},     {20, -10},    {20, 40},           {INT_MIN, 0},
        {INT_MAX, 0}, {0, INT_MIN}, {0, INT_MAX}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}};
    for (const auto& at : far)
        picture.drawMark(at[0], at[1], -30);
    picture.drawMarkIn({INT_MIN, INT_MIN, INT_MIN + 1, INT_MIN + 1}, -30);
    picture.eraseMark({-100, -100, -1, -1});
    picture.eraseMark({5, 5, 5, 25});
    picture.eraseMark({25, 25, 5, 5});
    EXPECT_EQ(picture.indexed(), before);

    const std::uint8_t red = TintedBandEntry[0];
    picture.drawMark(3, 3, -30);
    EXPECT_EQ(picture.indexed().pixelIndex(0, 3), red);
    EXPECT_EQ(picture.indexed().pixelIndex(3, 0), red);
    EXPECT_EQ(picture.indexed().pixelIndex(12, 3), red);
    EXPECT_EQ(picture.indexed().pixelIndex(13, 3), Grey);
    picture.drawMark(39, 29, -30);
    EXPECT_EQ(picture.indexed().pixelIndex(39, 29), red);
    EXPECT_EQ(picture.indexed().pixelIndex(30, 29), red);
    expectDisplayInStep(picture);

    SitePicture covered(tintedPlan(40, 30, Grey));
    covered.drawMarkIn({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, -30);
    EXPECT_EQ(covered.indexed().pixelIndex(0, 0), red);
    EXPECT_EQ(covered.indexed().pixelIndex(39, 29), red);
}

TEST(SitePicture, EraseWhitensTheWholeDiscInItsBox) {
    SitePicture picture(tintedPlan(60, 40, Grey));
    picture.drawMark(30, 20, -65);
    picture.eraseMark({15, 5, 45, 35});
    for (int dy = -10; dy < 10; ++dy) {
        for (int dx = -10; dx < 10; ++dx)
            EXPECT_NE(picture.indexed().pixelIndex(30 + dx, 20 + dy), TintedBandEntry[3]);
    }
    EXPECT_EQ(picture.indexed().pixelIndex(30, 20), WhiteEntry);
    EXPECT_EQ(picture.indexed().pixelIndex(15, 20), WhiteEntry);
    EXPECT_EQ(picture.indexed().pixelIndex(44, 20), WhiteEntry);
    EXPECT_EQ(picture.indexed().pixelIndex(45, 20), Grey);
    EXPECT_EQ(picture.indexed().pixelIndex(15, 5), Grey);
    expectDisplayInStep(picture);
}

} // namespace
} // namespace marlow
