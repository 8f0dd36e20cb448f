// The view's drawing rendered into images: the site picture with its
// colour table, marks in the nearest table colours clipped to it and its
// 32-bit copy kept in step; the map screen's stretched picture, white
// margins and cross-hair combined with AND; the survey screen's channel
// grid, radar and rows; the title screen's texts; and the pictures and
// sounds compiled into the program's resources.
#include "SiteFixtures.h"
#include "view/ArtPaths.h"
#include "view/ScreenPainters.h"
#include "view/SitePicture.h"

#include <QFile>
#include <QtEndian>
#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace marlow {
namespace {

constexpr std::uint8_t Grey = 60; // the plan's colour-table entry
const QRgb PlanColor = qRgb(60, 60, 60);
const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb DarkGreen = qRgb(0, 128, 0);
// The tinted table's entries nearest to the colours of bands 1 to 6, and
// the colour of the first.
constexpr std::uint8_t TintedBandEntry[RssiBandCount] = {250, 251, 252, 253, 254, 0};
const QRgb Red = qRgb(245, 6, 6);

// The image's pixels at the points.
std::vector<QRgb> pixels(const QImage& image, const std::vector<QPoint>& points) {
    std::vector<QRgb> out;
    for (const QPoint p : points)
        out.push_back(image.pixel(p));
    return out;
}

// Paints into a new 32-bit image of the given size, first filled with
// Unpainted so that untouched pixels show.
constexpr QRgb Unpainted = 0xFFFF00FFu;
QImage renderImage(QSize size, const std::function<void(QPainter&, const QRect&)>& paint) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Unpainted);
    QPainter painter(&image);
    paint(painter, QRect(QPoint(0, 0), size));
    painter.end();
    return image;
}

// A 227 x 236 picture of one colour, shown whole in a 240 x 268 window. Its
// table is grey-scale (entry i is grey i) but for entries 250 to 254, which
// are near red, orange, yellow, green and blue.
class ViewRender : public testing::Test {
protected:
    static SiteBitmap tintedPlan() {
        SiteBitmap plan = test::testPlan(227, 236);
        // Blue, green, red as stored.
        const std::uint8_t tints[5][3] = {
            {6, 6, 245}, {0, 124, 250}, {8, 250, 250}, {6, 245, 6}, {245, 6, 6}};
        for (std::size_t i = 0; i < 5; ++i)
            std::copy_n(tints[i], 3, &plan.colorTable[(250 + i) * 4]);
        std::fill(plan.pixels.begin(), plan.pixels.end(), Grey);
        return plan;
    }

    SitePicture picture{tintedPlan()};
    MapViewport full;

    ViewRender() {
        full.setBounds({0, 0, 227, 236});
        full.showAll({0, 0, 227, 236});
    }
    int at(int x, int y) const { return picture.indexed().pixelIndex(x, y); }
    // The picture's table entries at the points.
    std::vector<int> entries(const std::vector<QPoint>& points) const {
        std::vector<int> out;
        for (const QPoint p : points)
            out.push_back(at(p.x(), p.y()));
        return out;
    }
    static void expectDisplayInStep(const SitePicture& shown) {
        EXPECT_EQ(shown.display(), shown.indexed().convertToFormat(QImage::Format_RGB32));
    }
    static QImage render(const MapViewport& viewport, const SitePicture* shown) {
        static const QImage crosshair = ViewArt::load().crosshair;
        return renderImage({240, 268}, [&](QPainter& painter, const QRect& rect) {
            paintMapScreen(painter, rect, viewport, shown, crosshair);
        });
    }
};

TEST_F(ViewRender, PictureKeepsTheColorTableAndTurnsABottomUpPlanUpright) {
    ASSERT_EQ(picture.indexed().colorCount(), 256);
    EXPECT_EQ(picture.indexed().color(250), Red);
    EXPECT_EQ(picture.indexed().color(7), qRgb(7, 7, 7));

    SiteBitmap plan = test::testPlan(13, 7); // pixel (x, y) is x + 3 * y
    plan.topDown = false;                    // the stored rows now run upwards
    const SitePicture upright(plan);
    ASSERT_EQ(upright.indexed().size(), QSize(13, 7));
    EXPECT_EQ(upright.indexed().pixelIndex(12, 0), 30);
    EXPECT_EQ(upright.indexed().pixelIndex(5, 6), 5);
    expectDisplayInStep(upright);

    // A plan without all its pixels gives an empty picture that ignores marks.
    plan.pixels.pop_back();
    SitePicture empty(plan);
    EXPECT_TRUE(empty.indexed().isNull());
    EXPECT_TRUE(empty.display().isNull());
    empty.drawMark(3, 3, -30);
    empty.eraseMark({0, 0, 30, 30});
}

// The disc fills the box (x - 10, y - 10)-(x + 10, y + 10) without its right
// and bottom edges, and leaves the box's corners, in the table entry nearest
// its band's colours, fill and outline alike; drawMarkIn follows its box,
// and erasing whitens the whole disc in its box.
TEST_F(ViewRender, MarkIsADiscInItsBandsNearestEntryAndEraseWhitensIt) {
    const int rssiOfBand[RssiBandCount] = {-30, -45, -55, -65, -75, -120};
    for (int band = 0; band < RssiBandCount; ++band) {
        picture.drawMark(30, 20, rssiOfBand[band]);
        EXPECT_EQ(entries({{30, 20}, {20, 20}}), std::vector<int>(2, TintedBandEntry[band]))
            << "band " << band + 1;
        expectDisplayInStep(picture);
    }
    // dx, dy from the centre, painted or not.
    const int cases[][3] = {{-10, 0, 1}, {9, 0, 1},     {0, -10, 1}, {0, 9, 1},
                            {-7, -7, 1}, {10, 0, 0},    {-11, 0, 0}, {0, 10, 0},
                            {0, -11, 0}, {-10, -10, 0}, {9, 9, 0}};
    for (const auto& [dx, dy, painted] : cases)
        EXPECT_EQ(at(30 + dx, 20 + dy) != Grey, painted == 1) << dx << "," << dy;
    picture.drawMarkIn({60, 10, 80, 30}, -45);
    EXPECT_EQ(entries({{70, 20}, {60, 20}, {70, 30}, {60, 10}}),
              (std::vector<int>{TintedBandEntry[1], TintedBandEntry[1], Grey, Grey}));

    picture.eraseMark({15, 5, 45, 35});
    EXPECT_EQ(entries({{30, 20}, {20, 20}, {30, 10}, {15, 20}, {44, 20}, {45, 20}, {15, 5}}),
              (std::vector<int>{255, 255, 255, 255, 255, Grey, Grey}));
    expectDisplayInStep(picture);
}

TEST_F(ViewRender, MarksAreClippedToThePictureEvenAtExtremeCoordinates) {
    const QImage before = picture.indexed().copy();
    const std::int32_t far[][2] = {
        {-10, 15},    {237, 15},    {20, -10},    {20, 246},          {INT_MIN, 0},
        {INT_MAX, 0}, {0, INT_MIN}, {0, INT_MAX}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}};
    for (const auto& [x, y] : far)
        picture.drawMark(x, y, -30);
    picture.drawMarkIn({INT_MIN, INT_MIN, INT_MIN + 1, INT_MIN + 1}, -30);
    picture.eraseMark({-100, -100, -1, -1});
    picture.eraseMark({5, 5, 5, 25});
    picture.eraseMark({25, 25, 5, 5});
    EXPECT_EQ(picture.indexed(), before);

    picture.drawMark(3, 3, -30);
    picture.drawMark(226, 235, -30);
    const int red = TintedBandEntry[0];
    EXPECT_EQ(entries({{0, 3}, {3, 0}, {12, 3}, {13, 3}, {226, 235}}),
              (std::vector<int>{red, red, red, Grey, red}));
    expectDisplayInStep(picture);
    picture.drawMarkIn({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, -45);
    EXPECT_EQ(entries({{0, 0}, {226, 235}}), std::vector<int>(2, TintedBandEntry[1]));
}

TEST_F(ViewRender, MapFullViewShowsTheDiscInPlaceAndOnlyTheCrosshairsBlack) {
    picture.drawMark(50, 60, -30);
    const QImage image = render(full, &picture);
    // The disc's centre lies at 50 * 240 / 227, 60 * 268 / 236. The ring,
    // 13 pixels right of and above the centre, is black; the centre itself
    // and the cross-hair's corner show the map.
    EXPECT_EQ(
        pixels(image,
               {{53, 68}, {67, 68}, {239, 267}, {133, 134}, {120, 121}, {120, 134}, {104, 118}}),
        (std::vector<QRgb>{Red, PlanColor, PlanColor, Black, Black, PlanColor, PlanColor}));
}

TEST_F(ViewRender, MapPanPastTheLeftEdgeLeavesAWhiteMarginAndZoomStretches) {
    picture.drawMark(113, 118, -30);
    MapViewport viewport = full;
    viewport.panLeft(10);
    QImage image = render(viewport, &picture);
    EXPECT_EQ(pixels(image, {{9, 0}, {9, 134}, {9, 267}, {10, 0}, {10, 134}, {10, 267}, {239, 0}}),
              (std::vector<QRgb>{White, White, White, PlanColor, PlanColor, PlanColor, PlanColor}));

    // Zoomed in, the 20-pixel mark at the centre spans about 40 window pixels.
    viewport = full;
    viewport.zoomIn();
    image = render(viewport, &picture);
    EXPECT_EQ(pixels(image, {{120 - 18, 134}, {120 + 17, 134}, {120 - 24, 134}, {0, 0}}),
              (std::vector<QRgb>{Red, Red, PlanColor, PlanColor}));
}

TEST_F(ViewRender, MapWithoutAPictureOrAVisibleRangeIsWhiteButTheCrosshair) {
    const SitePicture emptyPicture(test::testPlan(0, 0));
    const MapViewport emptyRange; // before any site: all zero
    MapViewport collapsed = full;
    collapsed.panLeft(1000);
    for (int i = 0; i < 40; ++i)
        collapsed.zoomIn(); // the edges converge onto the centre at the left edge
    const std::pair<const MapViewport*, const SitePicture*> cases[] = {{&emptyRange, nullptr},
                                                                       {&full, &emptyPicture},
                                                                       {&emptyRange, &picture},
                                                                       {&collapsed, &picture}};
    for (const auto& [viewport, shown] : cases) {
        EXPECT_EQ(pixels(render(*viewport, shown), {{0, 0}, {239, 267}, {120, 134}, {133, 134}}),
                  (std::vector<QRgb>{White, White, White, Black}));
    }
}

// Pixels of the rectangle (clipped to the image) for which the test holds.
int countPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& test) {
    const QRect clipped = area.intersected(image.rect());
    int count = 0;
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            count += test(image.pixel(x, y)) ? 1 : 0;
    }
    return count;
}
const auto whitish = [](QRgb c) { return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) > 200; };
const auto lit = [](QRgb c) { return c != Black; };
const auto greenish = [](QRgb c) {
    return qGreen(c) > 150 && qRed(c) < qGreen(c) / 2 && qBlue(c) < qGreen(c) / 2;
};

QImage renderSurvey(QSize client, int scanChannel, const std::vector<SurveyRow>& rows,
                    const QImage& radar = {}) {
    return renderImage(client, [&](QPainter& painter, const QRect& rect) {
        paintSurveyScreen(painter, rect, radar, scanChannel, rows);
    });
}

TEST(SurveyScreen, GridOfSevenColumnsInTwoRowsHighlightsOnlyTheScannedChannel) {
    for (const int scanChannel : {8, 0}) {
        const QImage image = renderSurvey({240, 268}, scanChannel, {});
        for (int channel = 1; channel <= 14; ++channel) {
            const bool scanned = channel == scanChannel;
            const int left = 51 + 25 * ((channel - 1) % 7);
            const int top = channel < 8 ? 0 : 25;
            EXPECT_EQ(image.pixel(left + 1, top + 3), scanned ? DarkGreen : Black)
                << "channel " << channel << " while scanning " << scanChannel;
            // White digits on green in the scanned cell, green digits on
            // black in the others.
            const QRect text(left, top + 5, 23, 15);
            EXPECT_EQ(countPixels(image, text, whitish) > 0, scanned) << "channel " << channel;
            EXPECT_EQ(countPixels(image, text, [](QRgb c) { return c == qRgb(0, 255, 0); }) > 60,
                      scanned)
                << "channel " << channel;
            EXPECT_GT(countPixels(image, text, greenish), 0) << "channel " << channel;
        }
        // The frames (outer edges, a column rule, the rows' shared edge) and
        // the black beside them.
        EXPECT_EQ(pixels(image, {{50, 10},
                                 {224, 10},
                                 {100, 10},
                                 {60, 0},
                                 {60, 23},
                                 {60, 25},
                                 {60, 48},
                                 {49, 10},
                                 {225, 10},
                                 {60, 24},
                                 {60, 1}}),
                  (std::vector<QRgb>{DarkGreen, DarkGreen, DarkGreen, DarkGreen, DarkGreen,
                                     DarkGreen, DarkGreen, Black, Black, Black, Black}));
    }
}

// Rows lie 20 pixels apart from y = 70 and stop once a row's top would lie
// below the height less 20, counted in layout pixels.
TEST(SurveyScreen, RowsStopNearTheBottom) {
    const std::vector<SurveyRow> rows(14, {11, "00112233AABB", "office", -51});
    const std::pair<QSize, int> cases[] = {{{240, 269}, 9}, {{240, 270}, 10}, {{480, 540}, 10}};
    for (const auto& [client, expectedRows] : cases) {
        const QImage image = renderSurvey(client, 0, rows);
        const int s = client.width() / 240;
        int drawn = 0;
        for (int y = 70; y < 70 + 20 * 14; y += 20)
            drawn += countPixels(image, {20 * s, y * s, 80 * s, 15 * s}, lit) > 0 ? 1 : 0;
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
    // The radar picture shrunk to 50 x 50 at the top left.
    EXPECT_EQ(pixels(image, {{0, 0}, {49, 49}, {50, 49}, {17, 50}}),
              (std::vector<QRgb>{qRgb(10, 200, 30), qRgb(10, 200, 30), Black, Black}));

    image = renderSurvey({240, 268}, 0, {{11, std::string(40, 'W'), std::string(32, 'W'), -51}});
    EXPECT_EQ(countPixels(image, {0, 0, 50, 50}, lit), 0);
    // The gaps between the columns stay black.
    for (const QRect& gap :
         {QRect(100, 70, 10, 15), QRect(180, 70, 10, 15), QRect(220, 70, 20, 15)})
        EXPECT_EQ(countPixels(image, gap, lit), 0) << gap.x();
    EXPECT_GT(countPixels(image, {110, 70, 70, 15}, lit), 0);
}

QImage renderTitle(QSize client, const QImage& splash) {
    return renderImage(client, [&](QPainter& painter, const QRect& rect) {
        paintTitleScreen(painter, rect, splash, "1.02", "A0017");
    });
}

// The texts in their rectangles, scaled with the window over a splash
// stretched over the whole of it.
TEST(TitleScreen, TextsStandInTheirRectanglesAndScaleOverTheStretchedSplash) {
    QImage image = renderTitle({240, 268}, {});
    for (const QRect& box : {QRect(5, 3, 110, 15), QRect(155, 3, 80, 15)})
        EXPECT_GT(countPixels(image, box, whitish), 0) << box.x();
    for (const int top : {25, 205, 220})
        EXPECT_GT(countPixels(image, {0, top, 240, 12}, whitish), 0) << top;
    // Nothing between the firmware and serial texts; without a splash the
    // window's own background stays.
    EXPECT_EQ(countPixels(image, {115, 3, 40, 15}, whitish), 0);
    EXPECT_EQ(pixels(image, {{120, 150}, {2, 2}}), std::vector<QRgb>(2, Unpainted));

    QImage splash(240, 320, QImage::Format_RGB32);
    splash.fill(qRgb(20, 30, 90));
    image = renderTitle({300, 400}, splash);
    EXPECT_EQ(pixels(image, {{150, 200}, {299, 399}}), std::vector<QRgb>(2, qRgb(20, 30, 90)));
    // The name lies at 25 to 37 of 240.
    EXPECT_GT(countPixels(image, {0, 32, 300, 14}, whitish), 0);
    EXPECT_EQ(countPixels(image, {0, 48, 300, 200}, whitish), 0);
}

TEST(ArtResources, PicturesAndIconsAtTheirSizesAndSoundsEightBitMonoPcmOfTheirLength) {
    const ViewArt art = ViewArt::load();
    EXPECT_EQ(std::pair(art.crosshair.size(), art.splash.size()),
              std::pair(QSize(32, 32), QSize(240, 320)));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(art.radar[i].size(), QSize(104, 104)) << i;
        EXPECT_NE(art.radar[i], art.radar[(i + 1) % 4]) << i;
    }
    for (const char* path : {art::OpenIcon, art::SaveIcon, art::ColorsIcon, art::ZoomInIcon,
                             art::ZoomOutIcon, art::HelpIcon, art::AboutIcon, art::AppIcon}) {
        const QImage image(QString::fromLatin1(path));
        EXPECT_EQ(std::pair(image.size(), image.hasAlphaChannel()),
                  std::pair(path == art::AppIcon ? QSize(64, 64) : QSize(16, 16), true))
            << path;
    }
    for (const auto& [path, seconds] :
         {std::pair(art::PingSound, 1.7), std::pair(art::RedAlertSound, 1.0)}) {
        QFile file(QString::fromLatin1(path));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path;
        const QByteArray bytes = file.readAll();
        ASSERT_GE(bytes.size(), 44) << path;
        EXPECT_EQ(bytes.mid(0, 4), "RIFF");
        EXPECT_EQ(qFromLittleEndian<std::uint32_t>(bytes.data() + 4),
                  static_cast<std::uint32_t>(bytes.size() - 8));
        // "WAVEfmt ", a 16-byte format chunk: PCM, mono, 11025 samples and
        // bytes a second, 1-byte frames of 8 bits; then "data".
        EXPECT_EQ(bytes.mid(8, 32).toHex(),
                  "57415645666d74201000000001000100112b0000112b00000100080064617461");
        const std::uint32_t dataSize = qFromLittleEndian<std::uint32_t>(bytes.data() + 40);
        EXPECT_NEAR(dataSize / 11025.0, seconds, 0.01) << path;
    }
}

} // namespace
} // namespace marlow
