// The survey and title screens rendered into images: the channel grid and
// its highlighted cell, the radar picture, the access-point rows and where
// they stop; the board's texts, the program's name and the footer lines in
// their places; both at the handheld's width and scaled to a wider window.
#include "RenderTestSupport.h"
#include "view/ScreenPainters.h"

#include <gtest/gtest.h>

namespace marlow {
namespace {

using test::countPixels;
using test::whitish;

const QRgb Black = qRgb(0, 0, 0);
const QRgb DarkGreen = qRgb(0, 128, 0);

bool lit(QRgb c) {
    return c != Black;
}
bool greenish(QRgb c) {
    return qGreen(c) > 150 && qRed(c) < qGreen(c) / 2 && qBlue(c) < qGreen(c) / 2;
}

QImage renderSurvey(QSize client, int scanChannel, const std::vector<SurveyRow>& rows,
                    const QImage& radar = {}) {
    return test::renderImage(client, [&](QPainter& painter, const QRect& rect) {
        paintSurveyScreen(painter, rect, radar, scanChannel, rows);
    });
}

TEST(SurveyScreen, GridOfSevenColumnsInTwoRowsHighlightsOnlyTheScannedChannel) {
    for (const int scanChannel : {8, 1, 7, 14, 0, 15, -1}) {
        const QImage image = renderSurvey({240, 268}, scanChannel, {});
        for (int channel = 1; channel <= 14; ++channel) {
            const bool scanned = channel == scanChannel;
            const int k = (channel - 1) % 7;
            const int j = channel / 8;
            EXPECT_EQ(image.pixel(52 + 25 * k, 3 + 25 * j), scanned ? DarkGreen : Black)
                << "channel " << channel << " while scanning " << scanChannel;
            // White digits on green in the scanned cell, green digits on
            // black in the others.
            const QRect text(51 + 25 * k, 5 + 25 * j, 23, 15);
            EXPECT_EQ(countPixels(image, text, whitish) > 0, scanned) << "channel " << channel;
            EXPECT_EQ(countPixels(image, text, [](QRgb c) { return c == qRgb(0, 255, 0); }) > 60,
                      scanned)
                << "channel " << channel;
            EXPECT_GT(countPixels(image, text, greenish), 0) << "channel " << channel;
        }
        EXPECT_EQ(image.pixel(73, 47), scanChannel == 8 ? DarkGreen : Black);
    }
    const QImage image = renderSurvey({240, 268}, 0, {});
    for (const QPoint p : {QPoint(50, 10), QPoint(224, 10), QPoint(75, 30), QPoint(100, 10),
                           QPoint(125, 40), QPoint(149, 10), QPoint(174, 40), QPoint(199, 10),
                           QPoint(60, 0), QPoint(60, 23), QPoint(60, 25), QPoint(60, 48)})
        EXPECT_EQ(image.pixel(p), DarkGreen) << p.x() << "," << p.y();
    for (const QPoint p :
         {QPoint(49, 10), QPoint(225, 10), QPoint(60, 24), QPoint(60, 49), QPoint(60, 1)})
        EXPECT_EQ(image.pixel(p), Black) << p.x() << "," << p.y();
}

// Rows lie 20 pixels apart from y = 70 and stop once a row's top would lie
// below the height less 20, counted in layout pixels.
TEST(SurveyScreen, RowsStopNearTheBottom) {
    std::vector<SurveyRow> rows;
    for (int i = 0; i < 14; ++i)
        rows.push_back({1 + i % 13, "00112233AA" + std::to_string(10 + i), "office", -40 - i});
    const std::pair<QSize, int> cases[] = {
        {{240, 255}, 9}, {{240, 269}, 9}, {{240, 270}, 10}, {{480, 510}, 9}, {{480, 540}, 10}};
    for (const auto& [client, expectedRows] : cases) {
        const QImage image = renderSurvey(client, 0, rows);
        const double scale = client.width() / 240.0;
        int drawn = 0;
        for (int y = 70; y < 70 + 20 * 14; y += 20) {
            const QRect macCell(static_cast<int>(20 * scale), static_cast<int>(y * scale),
                                static_cast<int>(80 * scale), static_cast<int>(15 * scale));
            drawn += countPixels(image, macCell, lit) > 0 ? 1 : 0;
        }
        EXPECT_EQ(drawn, expectedRows) << client.width() << " x " << client.height();
    }
}

TEST(SurveyScreen, HeadsRadarAndRowTextsCutAtTheirColumns) {
    QImage radar(104, 104, QImage::Format_RGB32);
    radar.fill(qRgb(10, 200, 30));
    QImage image = renderSurvey({240, 268}, 3, {}, radar);
    for (const QRect& head : {QRect(0, 50, 15, 15), QRect(20, 50, 80, 15), QRect(110, 50, 70, 15),
                              QRect(190, 50, 30, 15)})
        EXPECT_GT(countPixels(image, head, whitish), 0) << head.x();
    EXPECT_EQ(countPixels(image, {0, 66, 240, 268 - 66}, lit), 0);
    EXPECT_EQ(countPixels(image, {0, 0, 50, 50}, [](QRgb c) { return c == qRgb(10, 200, 30); }),
              50 * 50);
    EXPECT_EQ(image.pixel(50, 49), Black);
    EXPECT_EQ(image.pixel(17, 50), Black);

    image = renderSurvey({240, 268}, 0, {{11, std::string(40, 'W'), std::string(32, 'W'), -51}});
    EXPECT_EQ(countPixels(image, {0, 0, 50, 50}, lit), 0);
    // The gaps between the columns stay black.
    EXPECT_EQ(countPixels(image, {100, 70, 10, 15}, lit), 0);
    EXPECT_EQ(countPixels(image, {180, 70, 10, 15}, lit), 0);
    EXPECT_EQ(countPixels(image, {220, 70, 20, 15}, lit), 0);
    EXPECT_GT(countPixels(image, {110, 70, 70, 15}, lit), 0);
}

QImage renderTitle(QSize client, const QImage& splash, const std::string& firmware,
                   const std::string& serial) {
    return test::renderImage(client, [&](QPainter& painter, const QRect& rect) {
        paintTitleScreen(painter, rect, splash, firmware, serial);
    });
}

// The first and last columns holding white text within the rectangle.
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

TEST(TitleScreen, TextsStandInTheirRectanglesAndTheNameAndFooterAreCentred) {
    const QImage image = renderTitle({240, 268}, {}, "1.02", "A0017");
    for (const QRect& box : {QRect(5, 3, 110, 15), QRect(155, 3, 80, 15)})
        EXPECT_GT(countPixels(image, box, whitish), 0) << box.x();
    for (const QRect& line :
         {QRect(0, 25, 240, 12), QRect(0, 205, 240, 12), QRect(0, 220, 240, 12)}) {
        const auto [first, last] = inkExtent(image, line);
        ASSERT_LT(first, last) << line.y();
        EXPECT_NEAR(first, 239 - last, 3) << line.y();
    }
    // Nothing between the firmware and serial texts; without a splash the
    // window's own background stays.
    EXPECT_EQ(countPixels(image, {115, 3, 40, 15}, whitish), 0);
    EXPECT_EQ(image.pixel(120, 150), test::Unpainted);
    EXPECT_EQ(image.pixel(2, 2), test::Unpainted);
}

TEST(TitleScreen, SplashIsStretchedOverTheWholeWindowAndTheTextsScale) {
    QImage splash(240, 320, QImage::Format_RGB32);
    splash.fill(qRgb(20, 30, 90));
    const QImage image = renderTitle({300, 400}, splash, "1.02", "A0017");
    EXPECT_EQ(image.pixel(150, 200), qRgb(20, 30, 90));
    EXPECT_EQ(image.pixel(0, 399), qRgb(20, 30, 90));
    EXPECT_EQ(image.pixel(299, 399), qRgb(20, 30, 90));
    // The name lies at 25 to 37 of 240.
    EXPECT_GT(countPixels(image, {0, 32, 300, 14}, whitish), 0);
    EXPECT_EQ(countPixels(image, {0, 48, 300, 200}, whitish), 0);
}

} // namespace
} // namespace marlow
