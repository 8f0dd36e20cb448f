// The survey screen rendered into images: the channel grid and its
// highlighted cell, the radar picture, the access-point rows and where they
// stop, at the handheld's width and scaled to a wider window.
#include "RenderTestSupport.h"
#include "view/ScreenPainters.h"

#include <gtest/gtest.h>

namespace marlow {
namespace {

using test::countPixels;
using test::renderImage;

const QRgb Black = qRgb(0, 0, 0);
const QRgb DarkGreen = qRgb(0, 128, 0);
const QRgb Green = qRgb(0, 255, 0);

bool lit(QRgb c) {
    return c != Black;
}
bool greenish(QRgb c) {
    return qGreen(c) > 150 && qRed(c) < qGreen(c) / 2 && qBlue(c) < qGreen(c) / 2;
}
bool whitish(QRgb c) {
    return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) > 200;
}

std::vector<SurveyRow> someRows(int count) {
    std::vector<SurveyRow> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back({1 + i % 13, "00112233AA" + std::to_string(10 + i), "office", -40 - i});
    return rows;
}

QImage renderSurvey(QSize client, int scanChannel, const std::vector<SurveyRow>& rows,
                    const QImage& radar = {}) {
    return renderImage(client, [&](QPainter& painter, const QRect& rect) {
        paintSurveyScreen(painter, rect, radar, scanChannel, rows);
    });
}

// The cell of a channel in 240-pixel layout coordinates, without its text
// rectangle's rows.
QPoint cellCorner(int channel) {
    return {52 + 25 * ((channel - 1) % 7), 3 + 25 * (channel / 8)};
}

QRect textRect(int channel) {
    const int k = (channel - 1) % 7;
    const int j = channel / 8;
    return {51 + 25 * k, 5 + 25 * j, 23, 15};
}

TEST(SurveyScreen, HighlightsOnlyTheScannedChannel) {
    for (const int scanChannel : {8, 1, 7, 14, 0, 15, -1}) {
        const QImage image = renderSurvey({240, 268}, scanChannel, {});
        for (int channel = 1; channel <= 14; ++channel) {
            const bool scanned = channel == scanChannel;
            const QPoint corner = cellCorner(channel);
            EXPECT_EQ(image.pixel(corner), scanned ? DarkGreen : Black)
                << "channel " << channel << " while scanning " << scanChannel;
            // White digits on green in the scanned cell, green digits on
            // black in the others.
            const QRect text = textRect(channel);
            EXPECT_EQ(countPixels(image, text, whitish) > 0, scanned) << "channel " << channel;
            EXPECT_EQ(countPixels(image, text, [](QRgb c) { return c == Green; }) > 60, scanned)
                << "channel " << channel;
            EXPECT_GT(countPixels(image, text, greenish), 0) << "channel " << channel;
        }
    }
}

TEST(SurveyScreen, ChannelEightIsTheFirstCellOfTheSecondRow) {
    const QImage image = renderSurvey({240, 268}, 8, {});
    EXPECT_EQ(image.pixel(52, 28), DarkGreen);
    EXPECT_EQ(image.pixel(73, 47), DarkGreen);
    EXPECT_EQ(image.pixel(52, 3), Black);
}

TEST(SurveyScreen, GridLinesFrameSevenColumnsInTwoRows) {
    const QImage image = renderSurvey({240, 268}, 0, {});
    const QPoint onGrid[] = {{50, 10},  {224, 10}, {75, 30}, {100, 10}, {125, 40}, {149, 10},
                             {174, 40}, {199, 10}, {60, 0},  {60, 23},  {60, 25},  {60, 48}};
    for (const QPoint& p : onGrid)
        EXPECT_EQ(image.pixel(p), DarkGreen) << p.x() << "," << p.y();
    const QPoint offGrid[] = {{49, 10}, {225, 10}, {60, 24}, {60, 49}, {60, 1}};
    for (const QPoint& p : offGrid)
        EXPECT_EQ(image.pixel(p), Black) << p.x() << "," << p.y();
}

struct RowCase {
    QSize client;
    int expectedRows;
};

// Rows lie 20 pixels apart from y = 70 and stop once a row's top would lie
// below the height less 20, counted in layout pixels.
TEST(SurveyScreen, RowsStopNearTheBottom) {
    const RowCase cases[] = {
        {{240, 255}, 9}, {{240, 269}, 9}, {{240, 270}, 10}, {{480, 510}, 9}, {{480, 540}, 10}};
    for (const RowCase& c : cases) {
        const QImage image = renderSurvey(c.client, 0, someRows(14));
        const double scale = c.client.width() / 240.0;
        int drawn = 0;
        for (int y = 70; y < 70 + 20 * 14; y += 20) {
            const QRect macCell(static_cast<int>(20 * scale), static_cast<int>(y * scale),
                                static_cast<int>(80 * scale), static_cast<int>(15 * scale));
            drawn += countPixels(image, macCell, lit) > 0 ? 1 : 0;
        }
        EXPECT_EQ(drawn, c.expectedRows) << c.client.width() << " x " << c.client.height();
    }
}

TEST(SurveyScreen, EmptyListDrawsHeadsAndGridButNoRows) {
    const QImage image = renderSurvey({240, 268}, 3, {});
    const QRect heads[] = {{0, 50, 15, 15}, {20, 50, 80, 15}, {110, 50, 70, 15}, {190, 50, 30, 15}};
    for (const QRect& head : heads)
        EXPECT_GT(countPixels(image, head, whitish), 0) << head.x();
    EXPECT_EQ(image.pixel(50, 10), DarkGreen);
    EXPECT_EQ(countPixels(image, {0, 66, 240, 268 - 66}, lit), 0);
}

TEST(SurveyScreen, RowTextsAreCutAtTheirColumns) {
    SurveyRow row{11, std::string(40, 'W'), std::string(32, 'W'), -51};
    const QImage image = renderSurvey({240, 268}, 0, {row});
    const int y = 70;
    // The gaps between the columns stay black.
    EXPECT_EQ(countPixels(image, {100, y, 10, 15}, lit), 0);
    EXPECT_EQ(countPixels(image, {180, y, 10, 15}, lit), 0);
    EXPECT_EQ(countPixels(image, {220, y, 20, 15}, lit), 0);
    EXPECT_GT(countPixels(image, {110, y, 70, 15}, lit), 0);
}

TEST(SurveyScreen, RadarPictureFillsTheTopLeftCorner) {
    QImage radar(104, 104, QImage::Format_RGB32);
    radar.fill(qRgb(10, 200, 30));
    const QImage image = renderSurvey({240, 268}, 0, {}, radar);
    EXPECT_EQ(countPixels(image, {0, 0, 50, 50}, [](QRgb c) { return c == qRgb(10, 200, 30); }),
              50 * 50);
    EXPECT_EQ(image.pixel(50, 49), Black);
    EXPECT_EQ(image.pixel(17, 50), Black);
    const QImage without = renderSurvey({240, 268}, 0, {});
    EXPECT_EQ(countPixels(without, {0, 0, 50, 50}, lit), 0);
}

TEST(SurveyScreen, ScalesTheLayoutToAWiderWindow) {
    const QImage image = renderSurvey({480, 536}, 8, someRows(1));
    EXPECT_EQ(image.pixel(2 * 52 + 1, 2 * 28 + 1), DarkGreen);
    EXPECT_EQ(image.pixel(2 * 52 + 1, 2 * 3 + 1), Black);
    EXPECT_EQ(image.pixel(479, 535), Black);
    EXPECT_GT(countPixels(image, {40, 140, 160, 30}, lit), 0);
}

} // namespace
} // namespace marlow
