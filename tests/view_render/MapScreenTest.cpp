// The map screen rendered into images: the stretched picture, white
// margins, the cross-hair combined with AND, and a paint that reads only the
// picture's 32-bit copy however many marks it holds.
#include "RenderTestSupport.h"
#include "view/ScreenPainters.h"
#include "view/SitePicture.h"

#include <gtest/gtest.h>
#include <random>

namespace marlow {
namespace {

using test::tintedPlan;

constexpr std::uint8_t PlanEntry = 60;
const QRgb PlanColour = qRgb(PlanEntry, PlanEntry, PlanEntry);
const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QSize Client(240, 268);

const QImage& crosshair() {
    static const QImage art = ViewArt::load().crosshair;
    return art;
}

QImage render(QSize client, const MapViewport& viewport, const SitePicture* picture,
              QImage::Format format = QImage::Format_RGB32) {
    return test::renderImage(
        client,
        [&](QPainter& painter, const QRect& rect) {
            paintMapScreen(painter, rect, viewport, picture, crosshair());
        },
        format);
}

MapViewport fullView(const SitePicture& picture) {
    MapViewport viewport;
    viewport.setBounds({0, 0, picture.width(), picture.height()});
    viewport.showAll({0, 0, picture.width(), picture.height()});
    return viewport;
}

// Counts the window pixels that differ from what the cross-hair, combined
// with AND at the centre, leaves over under(x, y).
int wrongPixels(const QImage& image, const std::function<QRgb(int, int)>& under) {
    const QRect box(image.width() / 2 - 16, image.height() / 2 - 16, 32, 32);
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool ink =
                box.contains(x, y) && crosshair().pixel(x - box.left(), y - box.top()) == Black;
            wrong += image.pixel(x, y) != (ink ? Black : under(x, y));
        }
    }
    return wrong;
}

TEST(MapScreen, FullViewCoversTheWindowAndTheCrosshairShowsOnlyItsBlack) {
    ASSERT_EQ(crosshair().size(), QSize(32, 32));
    const SitePicture picture(tintedPlan(227, 236, PlanEntry));
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        const QImage image = render(Client, fullView(picture), &picture, format);
        EXPECT_EQ(wrongPixels(image, [](int, int) { return PlanColour; }), 0) << format;
        // The ring, 13 pixels right of and above the centre, is black; the
        // centre itself shows the map.
        EXPECT_EQ(image.pixel(120 + 13, 134), Black);
        EXPECT_EQ(image.pixel(120, 134 - 13), Black);
        EXPECT_EQ(image.pixel(120, 134), PlanColour);
    }
}

TEST(MapScreen, PanPastTheLeftEdgeLeavesAWhiteMarginAndZoomStretches) {
    SitePicture picture(tintedPlan(227, 236, PlanEntry));
    picture.drawMark(113, 118, -30);
    MapViewport viewport = fullView(picture);
    viewport.panLeft(10);
    QImage image = render(Client, viewport, &picture);
    for (int y = 0; y < Client.height(); ++y) {
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(image.pixel(x, y), x < 10 ? White : PlanColour) << x << "," << y;
    }
    EXPECT_EQ(image.pixel(239, 0), PlanColour);

    // Zoomed in, the 20-pixel mark at the centre spans about 40 window pixels.
    viewport = fullView(picture);
    viewport.zoomIn();
    image = render(Client, viewport, &picture);
    const QRgb red = picture.display().pixel(113, 118);
    EXPECT_EQ(image.pixel(120 - 18, 134), red);
    EXPECT_EQ(image.pixel(120 + 17, 134), red);
    EXPECT_EQ(image.pixel(120 - 24, 134), PlanColour);
    EXPECT_EQ(image.pixel(0, 0), PlanColour);
}

TEST(MapScreen, WithoutAPictureOrAVisibleRangeTheWindowIsWhiteButTheCrosshair) {
    const SitePicture picture(tintedPlan(227, 236, PlanEntry));
    const SitePicture emptyPicture(tintedPlan(0, 0, PlanEntry));
    const MapViewport full = fullView(picture);
    const MapViewport emptyRange; // before any site: all zero
    MapViewport collapsed = fullView(picture);
    collapsed.panLeft(1000);
    for (int i = 0; i < 40; ++i)
        collapsed.zoomIn(); // the edges converge onto the centre at the left edge
    const std::pair<const MapViewport*, const SitePicture*> cases[] = {{&emptyRange, nullptr},
                                                                       {&full, &emptyPicture},
                                                                       {&emptyRange, &picture},
                                                                       {&collapsed, &picture}};
    for (const auto& [viewport, shown] : cases)
        EXPECT_EQ(wrongPixels(render(Client, *viewport, shown), [](int, int) { return White; }), 0);
}

// With the picture shown one to one, the window shows exactly the 32-bit
// copy: the marks live in the picture, and the paint neither converts the
// 8-bit pixels nor touches the copy.
TEST(MapScreen, PaintShowsOnlyThe32BitCopyWhateverTheMarks) {
    SitePicture picture(tintedPlan(200, 150, PlanEntry));
    std::mt19937 random(11);
    std::uniform_int_distribution<int> x(0, 199);
    std::uniform_int_distribution<int> y(0, 149);
    std::uniform_int_distribution<int> rssi(-100, -30);
    for (int i = 0; i < 30000; ++i)
        picture.drawMark(x(random), y(random), rssi(random));
    ASSERT_EQ(picture.display(), picture.indexed().convertToFormat(QImage::Format_RGB32));

    const qint64 key = picture.display().cacheKey();
    const uchar* bits = picture.display().constBits();
    const QImage image = render({200, 150}, fullView(picture), &picture);
    EXPECT_EQ(picture.display().cacheKey(), key);
    EXPECT_EQ(picture.display().constBits(), bits);
    EXPECT_EQ(wrongPixels(image, [&](int px, int py) { return picture.display().pixel(px, py); }),
              0);
}

} // namespace
} // namespace marlow
