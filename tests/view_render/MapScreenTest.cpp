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

using test::renderImage;
using test::tintedPlan;

constexpr std::uint8_t PlanEntry = 60;
const QRgb PlanColour = qRgb(PlanEntry, PlanEntry, PlanEntry);
const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QSize Client(240, 268);

class MapScreenTest : public testing::Test {
protected:
    void SetUp() override {
        m_crosshair = ViewArt::load().crosshair;
        ASSERT_FALSE(m_crosshair.isNull());
    }

    QImage render(QSize client, const MapViewport& viewport, const SitePicture* picture,
                  QImage::Format format = QImage::Format_RGB32) const {
        return renderImage(
            client,
            [&](QPainter& painter, const QRect& rect) {
                paintMapScreen(painter, rect, viewport, picture, m_crosshair);
            },
            format);
    }

    static MapViewport fullView(const SitePicture& picture) {
        MapViewport viewport;
        viewport.setBounds({0, 0, picture.width(), picture.height()});
        viewport.showAll({0, 0, picture.width(), picture.height()});
        return viewport;
    }

    QRect crosshairBox(QSize client) const {
        return {client.width() / 2 - 16, client.height() / 2 - 16, 32, 32};
    }

    // The colour the cross-hair leaves at a window pixel over the colour
    // under it.
    QRgb combined(QSize client, int x, int y, QRgb under) const {
        const QRect box = crosshairBox(client);
        if (!box.contains(x, y))
            return under;
        return m_crosshair.pixel(x - box.left(), y - box.top()) == Black ? Black : under;
    }

    QImage m_crosshair;
};

TEST_F(MapScreenTest, FullViewCoversTheWindowAndTheCrosshairShowsOnlyItsBlack) {
    const SitePicture picture(tintedPlan(227, 236, PlanEntry));
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        const QImage image = render(Client, fullView(picture), &picture, format);
        for (int y = 0; y < Client.height(); ++y) {
            for (int x = 0; x < Client.width(); ++x)
                ASSERT_EQ(image.pixel(x, y), combined(Client, x, y, PlanColour))
                    << x << "," << y << " in format " << format;
        }
        // The ring, 13 pixels right of and above the centre, is black; the
        // centre itself shows the map.
        EXPECT_EQ(image.pixel(120 + 13, 134), Black);
        EXPECT_EQ(image.pixel(120, 134 - 13), Black);
        EXPECT_EQ(image.pixel(120, 134), PlanColour);
    }
}

TEST_F(MapScreenTest, PanPastTheLeftEdgeLeavesAWhiteMargin) {
    const SitePicture picture(tintedPlan(227, 236, PlanEntry));
    MapViewport viewport = fullView(picture);
    viewport.panLeft(10);
    const QImage image = render(Client, viewport, &picture);
    for (int y = 0; y < Client.height(); ++y) {
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(image.pixel(x, y), x < 10 ? White : PlanColour) << x << "," << y;
    }
    EXPECT_EQ(image.pixel(239, 0), PlanColour);
}

TEST_F(MapScreenTest, ZoomedInStretchesThePictureOverTheWindow) {
    SitePicture picture(tintedPlan(227, 236, PlanEntry));
    picture.drawMark(113, 118, -30);
    MapViewport viewport = fullView(picture);
    viewport.zoomIn();
    const QImage image = render(Client, viewport, &picture);
    // The 20-pixel mark at the centre now spans about 40 window pixels.
    const QRgb red = picture.display().pixel(113, 118);
    EXPECT_EQ(image.pixel(120 - 18, 134), red);
    EXPECT_EQ(image.pixel(120 + 17, 134), red);
    EXPECT_EQ(image.pixel(120 - 24, 134), PlanColour);
    EXPECT_EQ(image.pixel(0, 0), PlanColour);
}

TEST_F(MapScreenTest, WithoutAPictureOrAVisibleRangeTheWindowIsWhiteButTheCrosshair) {
    const SitePicture picture(tintedPlan(227, 236, PlanEntry));
    const SitePicture emptyPicture(tintedPlan(0, 0, PlanEntry));
    const MapViewport full = fullView(picture);
    MapViewport emptyRange; // before any site: all zero
    MapViewport collapsed = fullView(picture);
    collapsed.panLeft(1000);
    for (int i = 0; i < 40; ++i)
        collapsed.zoomIn(); // the edges converge onto the centre at the left edge

    struct Case {
        const char* name;
        const MapViewport& viewport;
        const SitePicture* picture;
    };
    const Case cases[] = {{"no site", emptyRange, nullptr},
                          {"empty picture", full, &emptyPicture},
                          {"zero range", emptyRange, &picture},
                          {"collapsed range", collapsed, &picture}};
    for (const Case& c : cases) {
        const QImage image = render(Client, c.viewport, c.picture);
        int wrong = 0;
        for (int y = 0; y < Client.height(); ++y) {
            for (int x = 0; x < Client.width(); ++x)
                wrong += image.pixel(x, y) != combined(Client, x, y, White) ? 1 : 0;
        }
        EXPECT_EQ(wrong, 0) << c.name;
    }
}

// With the picture shown one to one, the window shows exactly the 32-bit
// copy: the marks live in the picture, and the paint neither converts the
// 8-bit pixels nor touches the copy.
TEST_F(MapScreenTest, PaintShowsOnlyThe32BitCopyWhateverTheMarks) {
    SitePicture picture(test::tintedPlan(200, 150, PlanEntry));
    std::mt19937 random(11);
    std::uniform_int_distribution<int> x(0, 199);
    std::uniform_int_distribution<int> y(0, 149);
    std::uniform_int_distribution<int> rssi(-100, -30);
    for (int i = 0; i < 30000; ++i)
        picture.drawMark(x(random), y(random), rssi(random));
    ASSERT_EQ(picture.display(), picture.indexed().convertToFormat(QImage::Format_RGB32));

    const QSize client(200, 150);
    const qint64 key = picture.display().cacheKey();
    const uchar* bits = picture.display().constBits();
    const QImage image = render(client, fullView(picture), &picture);
    EXPECT_EQ(picture.display().cacheKey(), key);
    EXPECT_EQ(picture.display().constBits(), bits);
    for (int py = 0; py < client.height(); ++py) {
        for (int px = 0; px < client.width(); ++px)
            ASSERT_EQ(image.pixel(px, py),
                      combined(client, px, py, picture.display().pixel(px, py)))
                << px << "," << py;
    }
}

} // namespace
} // namespace marlow
