// The view's drawing rendered into images: the site picture with its
// colour table and its marks in the legend's colours, clipped to it; the
// map screen's picture in its own proportions, white margins and
// cross-hair combined with AND; the survey screen's channel
// grid, radar and rows; the title screen's texts; and the pictures and
// sounds compiled into the program's resources.
#include "SiteFixtures.h"
#include "view/ArtPaths.h"
#include "view/RssiScale.h"
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
const QRgb Red = qRgb(255, 0, 0);

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

// A plan of one grey, on the grey-scale table scanned drawings have.
SiteBitmap greyPlan(std::int32_t width, std::int32_t height) {
    SiteBitmap plan = test::testPlan(width, height);
    std::fill(plan.pixels.begin(), plan.pixels.end(), Grey);
    return plan;
}

MapViewport showingAll(std::int32_t width, std::int32_t height) {
    MapViewport viewport;
    viewport.setBounds({0, 0, width, height});
    viewport.showAll({0, 0, width, height});
    return viewport;
}

// The picture one to one, with its marks.
QImage actualSize(const SitePicture& picture) {
    QImage image(picture.width(), picture.height(), QImage::Format_RGB32);
    image.fill(Unpainted);
    const Rect all{0, 0, picture.width(), picture.height()};
    picture.render(image, {picture.width(), picture.width(), picture.height(), picture.height()},
                   all);
    return image;
}

QImage renderMap(const MapViewport& viewport, const SitePicture* shown, QSize size = {240, 268},
                 bool withCrosshair = true) {
    static const QImage crosshair = ViewArt::load().crosshair;
    MapFrame frame;
    return renderImage(size, [&](QPainter& painter, const QRect& rect) {
        paintMapScreen(painter, rect, viewport, shown, withCrosshair ? crosshair : QImage(), frame);
    });
}

TEST(SitePicture, KeepsTheColorTableTurnsABottomUpPlanUprightAndRefusesAShortPlan) {
    SiteBitmap plan = test::testPlan(13, 7); // pixel (x, y) is x + 3 * y, grey x + 3 * y
    plan.topDown = false;                    // the stored rows now run upwards
    const SitePicture upright(plan);
    ASSERT_EQ(std::pair(upright.width(), upright.height()), std::pair(13, 7));
    EXPECT_EQ(upright.planPixel(12, 0), qRgb(30, 30, 30));
    EXPECT_EQ(upright.planPixel(5, 6), qRgb(5, 5, 5));
    EXPECT_EQ(actualSize(upright).pixel(12, 0), qRgb(30, 30, 30));

    // A plan without all its pixels gives an empty picture that draws nothing.
    plan.pixels.pop_back();
    SitePicture empty(plan);
    EXPECT_TRUE(empty.isNull());
    empty.addMark(3, 3, -30);
    QImage untouched(20, 20, QImage::Format_RGB32);
    untouched.fill(Unpainted);
    empty.render(untouched, {20, 13, 20, 7}, {0, 0, 20, 20});
    EXPECT_EQ(untouched.pixel(3, 3), Unpainted);
}

// On a grey-scale plan each band shows its legend colour exactly; the disc
// fills the box (x - 10, y - 10)-(x + 10, y + 10) without its right and
// bottom edges, and removing a mark shows the plan beneath it again.
TEST(SitePicture, MarksAreDiscsInTheirBandsExactColoursAndRemovingOneShowsThePlan) {
    SitePicture picture(greyPlan(120, 60));
    const int rssiOfBand[RssiBandCount] = {-30, -45, -55, -65, -75, -120};
    for (int band = 0; band < RssiBandCount; ++band)
        picture.addMark(10 + 20 * band, 30, rssiOfBand[band]);
    QImage image = actualSize(picture);
    for (int band = 0; band < RssiBandCount; ++band) {
        const RgbColor legend = RssiBands[static_cast<std::size_t>(band)].brush;
        EXPECT_EQ(image.pixel(10 + 20 * band, 30), qRgb(legend.red, legend.green, legend.blue))
            << "band " << band + 1;
    }
    // dx, dy from the centre of the mark at (50, 30), painted or not.
    const int cases[][3] = {{-10, 0, 1}, {9, 0, 1},  {0, -10, 1}, {0, 9, 1},
                            {-7, -7, 1}, {0, 10, 0}, {0, -11, 0}, {-10, -10, 0}};
    for (const auto& [dx, dy, painted] : cases)
        EXPECT_EQ(image.pixel(50 + dx, 30 + dy) != PlanColor, painted == 1) << dx << "," << dy;

    // Two marks at one place: the earliest goes first, the later shows.
    picture.addMark(50, 30, -30);
    EXPECT_TRUE(picture.removeMark(50, 30));
    EXPECT_EQ(actualSize(picture).pixel(50, 30), Red);
    EXPECT_TRUE(picture.removeMark(50, 30));
    EXPECT_FALSE(picture.removeMark(50, 30));
    image = actualSize(picture);
    EXPECT_EQ(pixels(image, {{50, 30}, {41, 30}, {58, 30}, {30, 30}}),
              (std::vector<QRgb>{PlanColor, PlanColor, PlanColor, qRgb(255, 128, 0)}));
    EXPECT_EQ(picture.markCount(), RssiBandCount - 1u);
}

TEST(SitePicture, MarksAreClippedToThePictureEvenAtExtremeCoordinates) {
    SitePicture picture(greyPlan(227, 236));
    const QImage before = actualSize(picture);
    const std::int32_t far[][2] = {
        {-10, 15},    {237, 15},    {20, -10},    {20, 246},          {INT_MIN, 0},
        {INT_MAX, 0}, {0, INT_MIN}, {0, INT_MAX}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}};
    for (const auto& [x, y] : far)
        picture.addMark(x, y, -30);
    EXPECT_EQ(actualSize(picture), before);

    picture.addMark(3, 3, -30);
    picture.addMark(226, 235, -30);
    EXPECT_EQ(pixels(actualSize(picture), {{0, 3}, {3, 0}, {12, 3}, {13, 3}, {226, 235}}),
              (std::vector<QRgb>{Red, Red, Red, PlanColor, Red}));
}

// The extent of the colour's pixels on the row and on the column through
// a point: both equal for a round disc.
std::pair<int, int> extents(const QImage& image, QPoint centre, QRgb color) {
    int across = 0;
    int down = 0;
    for (int x = 0; x < image.width(); ++x)
        across += image.pixel(x, centre.y()) == color ? 1 : 0;
    for (int y = 0; y < image.height(); ++y)
        down += image.pixel(centre.x(), y) == color ? 1 : 0;
    return {across, down};
}

// A wide plan in a square window keeps its shape: white above and below,
// round discs where a tap would take them, and only the cross-hair's ring
// black.
// Far zoomed out, a large plan is sampled from its reduced copy: every
// window pixel still shows a plan pixel from the block it covers, whichever
// way the plan's rows are stored.
TEST(SitePicture, FarZoomedOutEachPixelShowsAPlanPixelItCovers) {
    struct Case {
        std::int32_t width, height, across, down;
    };
    for (const bool topDown : {true, false}) {
        for (const Case c :
             {Case{4096, 8, 256, 2}, Case{8, 4096, 2, 256}, Case{2500, 2100, 7, 5}}) {
            SiteBitmap plan = test::testPlan(c.width, c.height);
            plan.topDown = topDown;
            const SitePicture picture(plan);
            QImage image(c.across, c.down, QImage::Format_RGB32);
            picture.render(image, {c.across, c.width, c.down, c.height}, {0, 0, c.across, c.down});
            for (std::int32_t y = 0; y < c.down; ++y) {
                for (std::int32_t x = 0; x < c.across; ++x) {
                    bool covered = false;
                    for (std::int32_t py = y * c.height / c.down;
                         !covered && py < (y + 1) * c.height / c.down; ++py) {
                        for (std::int32_t px = x * c.width / c.across;
                             !covered && px < (x + 1) * c.width / c.across; ++px)
                            covered = picture.planPixel(px, py) == image.pixel(x, y);
                    }
                    ASSERT_TRUE(covered) << c.width << " x " << c.height << " at " << x << "," << y
                                         << (topDown ? " top-down" : " bottom-up");
                }
            }
        }
    }
}

// The map screen's frame is kept between paints: repaints follow a new or
// removed mark, a zoom, and pans (which move the kept pixels and draw what
// comes into view) in every direction, into and out of the margins, and
// match a frame drawn afresh, at one and at two device pixels a window
// pixel. The plan's pixels all differ along a row, so a frame moved by a
// pixel too many or too few shows.
TEST(MapScreen, AKeptFrameShowsWhatAFreshOneShows) {
    for (const double ratio : {1.0, 2.0}) {
        SitePicture picture(test::testPlan(300, 150));
        for (int i = 0; i < 40; ++i)
            picture.addMark(7 * i + 3, (29 * i) % 150, -30 - i);
        MapViewport viewport = showingAll(300, 150);
        MapFrame kept;
        const auto paint = [&](MapFrame& frame) {
            const int side = static_cast<int>(240 * ratio);
            QImage image(side, side, QImage::Format_RGB32);
            image.setDevicePixelRatio(ratio);
            image.fill(Unpainted);
            QPainter painter(&image);
            paintMapScreen(painter, {0, 0, 240, 240}, viewport, &picture, QImage(), frame);
            return image;
        };
        const auto matchesFresh = [&](const std::string& step) {
            MapFrame fresh;
            EXPECT_EQ(paint(kept), paint(fresh)) << step << " at ratio " << ratio;
        };
        matchesFresh("first paint");
        picture.addMark(150, 75, -30);
        matchesFresh("a mark added");
        EXPECT_EQ(paint(kept).pixel(static_cast<int>(120 * ratio), static_cast<int>(120 * ratio)),
                  Red);
        viewport.zoomIn();
        matchesFresh("zoomed in");
        const std::pair<const char*, void (MapViewport::*)(std::int32_t)> pans[] = {
            {"left", &MapViewport::panLeft},
            {"up", &MapViewport::panUp},
            {"right", &MapViewport::panRight},
            {"down", &MapViewport::panDown}};
        for (const std::int32_t step : {1, 3, 10, 37, 90, 400}) {
            for (const auto& [name, pan] : pans) {
                (viewport.*pan)(step);
                matchesFresh(std::string("panned ") + name + " by " + std::to_string(step));
            }
            picture.addMark(viewport.centerX(), viewport.centerY(), -70);
            matchesFresh("a mark added at the centre after pans by " + std::to_string(step));
        }
        viewport.panRight(400); // past the plan's right edge: a wide white margin
        matchesFresh("panned past the right edge");
        EXPECT_EQ(paint(kept).pixel(static_cast<int>(235 * ratio), static_cast<int>(120 * ratio)),
                  White);
        EXPECT_TRUE(picture.removeMark(150, 75));
        matchesFresh("the mark removed");
    }
}

TEST(MapScreen, APlanKeepsItsProportionsAndItsDiscsAreRound) {
    SitePicture picture(greyPlan(300, 150));
    picture.addMark(60, 75, -30);
    MapViewport viewport = showingAll(300, 150);
    const QImage image = renderMap(viewport, &picture, {240, 240});
    // 300 x 150 at 0.8 window pixels a picture pixel: rows 60 to 180.
    EXPECT_EQ(pixels(image, {{100, 59}, {100, 60}, {100, 179}, {100, 180}}),
              (std::vector<QRgb>{White, PlanColor, PlanColor, White}));
    const auto probe = viewport.screenToMap({0, 0, 240, 240}, 48, 120);
    ASSERT_TRUE(probe);
    EXPECT_EQ(*probe, (MapPoint{60, 75}));
    EXPECT_EQ(image.pixel(48, 120), Red);
    const auto [across, down] = extents(image, {48, 120}, Red);
    EXPECT_EQ(across, down);
    EXPECT_NEAR(across, 16, 1); // 20 picture pixels at 0.8
    EXPECT_EQ(pixels(image, {{133, 120}, {120, 107}}), (std::vector<QRgb>{Black, Black}));
}

TEST(MapScreen, PanPastTheLeftEdgeLeavesAWhiteMarginAndZoomEnlargesTheMarks) {
    SitePicture picture(greyPlan(227, 236));
    picture.addMark(113, 118, -30);
    MapViewport viewport = showingAll(227, 236);
    viewport.panLeft(10);
    QImage image = renderMap(viewport, &picture);
    EXPECT_EQ(pixels(image, {{9, 134}, {10, 134}, {239, 134}}),
              (std::vector<QRgb>{White, PlanColor, PlanColor}));

    // Zoomed in, the 20-pixel mark at the centre spans about 42 window
    // pixels each way (shown without the cross-hair over it).
    viewport = showingAll(227, 236);
    viewport.zoomIn();
    image = renderMap(viewport, &picture, {240, 268}, false);
    const auto [across, down] = extents(image, {120, 134}, Red);
    EXPECT_NEAR(across, 42, 1);
    EXPECT_NEAR(down, 42, 1);
}

TEST(MapScreen, WithoutAPictureOrAVisibleRangeIsWhiteButTheCrosshair) {
    SitePicture picture(greyPlan(227, 236));
    const MapViewport full = showingAll(227, 236);
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
        EXPECT_EQ(pixels(renderMap(*viewport, shown), {{0, 0}, {239, 267}, {120, 134}, {133, 134}}),
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
// As many rows as fit above the bottom; when some do not, the last place
// counts them (text that stops short of the RSSI column).
TEST(SurveyScreen, RowsStopNearTheBottomAndTheRestAreCounted) {
    struct Case {
        QSize client;
        std::size_t rows;
        int places;
        bool counted;
    };
    const Case cases[] = {{{240, 269}, 14, 9, true},
                          {{240, 270}, 14, 10, true},
                          {{240, 270}, 10, 10, false},
                          {{480, 540}, 14, 10, true},
                          {{240, 100}, 3, 1, true}};
    for (const Case& c : cases) {
        const QImage image = renderSurvey(
            c.client, 0, std::vector<SurveyRow>(c.rows, {11, "00112233AABB", "office", -51}));
        const int s = c.client.width() / 240;
        int drawn = 0;
        int withRssi = 0;
        for (int y = 70; y < 70 + 20 * 14; y += 20) {
            drawn += countPixels(image, {20 * s, y * s, 80 * s, 15 * s}, lit) > 0 ? 1 : 0;
            withRssi += countPixels(image, {190 * s, y * s, 30 * s, 15 * s}, lit) > 0 ? 1 : 0;
        }
        EXPECT_EQ(std::pair(drawn, withRssi),
                  std::pair(c.places, c.counted ? c.places - 1 : c.places))
            << c.client.width() << " x " << c.client.height() << ", " << c.rows << " rows";
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
