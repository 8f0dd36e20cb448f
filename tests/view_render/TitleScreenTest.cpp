// The title screen rendered into images: the splash stretched over the
// window, and the board's texts, the program's name and the footer lines in
// their places.
#include "RenderTestSupport.h"
#include "view/ScreenPainters.h"

#include <gtest/gtest.h>

namespace marlow {
namespace {

using test::countPixels;
using test::renderImage;

bool whitish(QRgb c) {
    return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) > 200;
}

QImage renderTitle(QSize client, const QImage& splash, const std::string& firmware,
                   const std::string& serial) {
    return renderImage(client, [&](QPainter& painter, const QRect& rect) {
        paintTitleScreen(painter, rect, splash, firmware, serial);
    });
}

// The columns holding white text within the rows of a rectangle.
std::pair<int, int> inkExtent(const QImage& image, const QRect& area) {
    int first = area.right() + 1;
    int last = area.left() - 1;
    for (int x = area.left(); x <= area.right(); ++x) {
        if (countPixels(image, {x, area.top(), 1, area.height()}, whitish) > 0) {
            first = std::min(first, x);
            last = std::max(last, x);
        }
    }
    return {first, last};
}

TEST(TitleScreen, TextsStandInTheirRectangles) {
    const QImage image = renderTitle({240, 268}, {}, "1.02", "A0017");
    const QRect boxes[] = {
        {5, 3, 110, 15}, {155, 3, 80, 15}, {0, 25, 240, 12}, {0, 205, 240, 12}, {0, 220, 240, 12}};
    for (const QRect& box : boxes)
        EXPECT_GT(countPixels(image, box, whitish), 0) << box.y();
    // Nothing between the firmware and serial texts, nor between the name
    // and the footer; without a splash the window's own background stays.
    EXPECT_EQ(countPixels(image, {115, 3, 40, 15}, whitish), 0);
    EXPECT_EQ(image.pixel(120, 150), test::Unpainted);
    EXPECT_EQ(image.pixel(2, 2), test::Unpainted);
}

TEST(TitleScreen, ProgramNameAndFooterAreCentred) {
    const QImage image = renderTitle({240, 268}, {}, "", "");
    for (const QRect& line :
         {QRect(0, 25, 240, 12), QRect(0, 205, 240, 12), QRect(0, 220, 240, 12)}) {
        const auto [first, last] = inkExtent(image, line);
        ASSERT_LT(first, last) << line.y();
        EXPECT_NEAR(first, 239 - last, 3) << line.y();
    }
}

TEST(TitleScreen, LongBoardTextsAreCutAtTheirRectangles) {
    const QImage image = renderTitle({240, 268}, {}, std::string(60, 'W'), std::string(60, 'W'));
    const int last = inkExtent(image, {0, 3, 240, 15}).second;
    EXPECT_LE(last, 234);
    EXPECT_GE(last, 228);
    EXPECT_EQ(countPixels(image, {115, 3, 40, 15}, whitish), 0);
}

TEST(TitleScreen, SplashIsStretchedOverTheWholeWindow) {
    QImage splash(240, 320, QImage::Format_RGB32);
    splash.fill(qRgb(20, 30, 90));
    const QImage image = renderTitle({300, 400}, splash, "1.02", "A0017");
    EXPECT_EQ(image.pixel(150, 200), qRgb(20, 30, 90));
    EXPECT_EQ(image.pixel(0, 399), qRgb(20, 30, 90));
    EXPECT_EQ(image.pixel(299, 399), qRgb(20, 30, 90));
    // The texts scale with the window: the name lies at 25 to 37 of 240.
    EXPECT_GT(countPixels(image, {0, 32, 300, 14}, whitish), 0);
    EXPECT_EQ(countPixels(image, {0, 48, 300, 200}, whitish), 0);
}

} // namespace
} // namespace marlow
