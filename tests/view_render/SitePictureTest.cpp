// The site picture: the plan's pixels and colour table kept as they are,
// marks rasterised into it in the nearest table colours and clipped to it,
// and its 32-bit copy kept in step.
#include "view/SitePicture.h"

#include "RenderTestSupport.h"
#include "SiteFixtures.h"

#include <climits>
#include <gtest/gtest.h>
#include <random>

namespace marlow {
namespace {

using test::tintedPlan;

constexpr std::uint8_t Grey = 128;
constexpr std::uint8_t WhiteEntry = 255;

SiteBitmap bottomUp(SiteBitmap plan) {
    SiteBitmap flipped = plan;
    flipped.topDown = false;
    for (std::int32_t y = 0; y < plan.height; ++y)
        std::copy_n(plan.row(y), plan.rowStride(),
                    flipped.pixels.data() +
                        static_cast<std::size_t>(plan.height - 1 - y) * plan.rowStride());
    return flipped;
}

void expectDisplayInStep(const SitePicture& picture) {
    EXPECT_EQ(picture.display(), picture.indexed().convertToFormat(QImage::Format_RGB32));
}

TEST(SitePicture, KeepsThePlansPixelsAndColourTable) {
    for (const bool topDown : {true, false}) {
        const SiteBitmap plan = topDown ? test::testPlan(13, 7) : bottomUp(test::testPlan(13, 7));
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

TEST(SitePicture, MarkCentreTakesTheNearestTableEntryOfItsBand) {
    const int rssiOfBand[RssiBandCount] = {-30, -45, -55, -65, -75, -120};
    for (int band = 1; band <= RssiBandCount; ++band) {
        SitePicture picture(tintedPlan(60, 40, Grey));
        picture.drawMark(30, 20, rssiOfBand[band - 1]);
        const std::uint8_t entry = test::TintedBandEntry[band - 1];
        EXPECT_EQ(picture.indexed().pixelIndex(30, 20), entry) << "band " << band;
        EXPECT_EQ(picture.display().pixel(30, 20), picture.indexed().color(entry));
        expectDisplayInStep(picture);
    }
}

TEST(SitePicture, MarkColourInAGreyTableIsTheNearestGrey) {
    // Red (255, 0, 0) lies nearest to grey 85 of a grey-scale table.
    SitePicture picture(test::testPlan(60, 40));
    picture.drawMark(30, 20, -30);
    EXPECT_EQ(picture.indexed().pixelIndex(30, 20), 85);
}

struct PixelCase {
    int dx;
    int dy;
    bool painted;
};

// The disc fills the box (x - 10, y - 10)-(x + 10, y + 10) without its right
// and bottom edges, and leaves the box's corners.
TEST(SitePicture, DiscIsInscribedInItsBox) {
    const PixelCase cases[] = {
        {0, 0, true},      {-10, 0, true}, {9, 0, true},    {0, -10, true}, {0, 9, true},
        {-10, -1, true},   {10, 0, false}, {-11, 0, false}, {0, 10, false}, {0, -11, false},
        {-10, -10, false}, {9, 9, false},  {-9, 8, false},  {-7, -7, true}, {6, 6, true},
    };
    for (const int rssi : {-30, -90}) {
        SitePicture picture(tintedPlan(60, 40, Grey));
        picture.drawMark(30, 20, rssi);
        for (const PixelCase& c : cases)
            EXPECT_EQ(picture.indexed().pixelIndex(30 + c.dx, 20 + c.dy) != Grey, c.painted)
                << "rssi " << rssi << " at " << c.dx << "," << c.dy;
    }
}

TEST(SitePicture, MarkInABoxFollowsTheBox) {
    SitePicture picture(tintedPlan(60, 40, Grey));
    picture.drawMarkIn({10, 10, 30, 30}, -45);
    EXPECT_EQ(picture.indexed().pixelIndex(20, 20), test::TintedBandEntry[1]);
    EXPECT_EQ(picture.indexed().pixelIndex(10, 20), test::TintedBandEntry[1]);
    EXPECT_EQ(picture.indexed().pixelIndex(30, 20), Grey);
    EXPECT_EQ(picture.indexed().pixelIndex(10, 10), Grey);
}

TEST(SitePicture, MarksAreClippedToThePicture) {
    SitePicture picture(tintedPlan(40, 30, Grey));
    const std::uint8_t red = test::TintedBandEntry[0];
    picture.drawMark(3, 3, -30);
    EXPECT_EQ(picture.indexed().pixelIndex(0, 3), red);
    EXPECT_EQ(picture.indexed().pixelIndex(3, 0), red);
    EXPECT_EQ(picture.indexed().pixelIndex(12, 3), red);
    EXPECT_EQ(picture.indexed().pixelIndex(13, 3), Grey);
    picture.drawMark(39, 29, -30);
    EXPECT_EQ(picture.indexed().pixelIndex(39, 29), red);
    EXPECT_EQ(picture.indexed().pixelIndex(30, 29), red);
    expectDisplayInStep(picture);
}

TEST(SitePicture, MarksOutsideThePictureChangeNothing) {
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
}

TEST(SitePicture, BoxAsWideAsTheCoordinatesCoversThePicture) {
    SitePicture picture(tintedPlan(40, 30, Grey));
    picture.drawMarkIn({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, -30);
    EXPECT_EQ(picture.indexed().pixelIndex(0, 0), test::TintedBandEntry[0]);
    EXPECT_EQ(picture.indexed().pixelIndex(39, 29), test::TintedBandEntry[0]);
}

TEST(SitePicture, LaterMarkCoversAnEarlierOne) {
    SitePicture picture(tintedPlan(60, 40, Grey));
    picture.drawMark(30, 20, -30);
    picture.drawMark(30, 20, -90);
    EXPECT_EQ(picture.indexed().pixelIndex(30, 20), 0);
    EXPECT_EQ(picture.indexed().pixelIndex(21, 20), 0);
}

TEST(SitePicture, EraseWhitensTheWholeDiscInItsBox) {
    SitePicture picture(tintedPlan(60, 40, Grey));
    picture.drawMark(30, 20, -65);
    picture.eraseMark({15, 5, 45, 35});
    for (int dy = -10; dy < 10; ++dy) {
        for (int dx = -10; dx < 10; ++dx)
            EXPECT_NE(picture.indexed().pixelIndex(30 + dx, 20 + dy), test::TintedBandEntry[3]);
    }
    EXPECT_EQ(picture.indexed().pixelIndex(30, 20), WhiteEntry);
    EXPECT_EQ(picture.indexed().pixelIndex(15, 20), WhiteEntry);
    EXPECT_EQ(picture.indexed().pixelIndex(44, 20), WhiteEntry);
    EXPECT_EQ(picture.indexed().pixelIndex(45, 20), Grey);
    EXPECT_EQ(picture.indexed().pixelIndex(15, 5), Grey);
    expectDisplayInStep(picture);
}

TEST(SitePicture, ManyMarksKeepTheDisplayCopyInStep) {
    SitePicture picture(test::testPlan(200, 150));
    std::mt19937 random(7);
    std::uniform_int_distribution<int> x(-15, 215);
    std::uniform_int_distribution<int> y(-15, 165);
    std::uniform_int_distribution<int> rssi(-110, -20);
    for (int i = 0; i < 3000; ++i) {
        picture.drawMark(x(random), y(random), rssi(random));
        if (i % 10 == 0)
            picture.eraseMark({x(random), y(random), x(random), y(random)});
    }
    expectDisplayInStep(picture);
}

} // namespace
} // namespace marlow
