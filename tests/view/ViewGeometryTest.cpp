// The view's Qt-free geometry: the RSSI colour scale's bands, and zoom, pan,
// centring, tap mapping and layout of the map viewport.
#include "view/MapViewport.h"
#include "view/RssiScale.h"

#include <climits>
#include <gtest/gtest.h>
#include <tuple>

namespace marlow {
namespace {

TEST(RssiScale, BandsAreTestedFromTheTop) {
    const int bandOf[][2] = {{127, 1}, {-39, 1}, {-40, 2}, {-49, 2}, {-50, 3}, {-59, 3},
                             {-60, 4}, {-69, 4}, {-70, 5}, {-79, 5}, {-80, 6}, {INT_MIN, 6}};
    for (const auto& [rssi, band] : bandOf) {
        EXPECT_EQ(rssiBandNumber(rssi), band) << "rssi " << rssi;
        EXPECT_EQ(rssiBand(rssi).number, band) << "rssi " << rssi;
    }
}

const Rect Client{0, 0, 240, 268};

MapViewport opened(std::int32_t width, std::int32_t height) {
    MapViewport v;
    v.setBounds({0, 0, width, height});
    v.showAll({0, 0, width, height});
    return v;
}

// The visible range and the centre.
std::tuple<Rect, int, int> state(const MapViewport& v) {
    return {v.visibleRange(), v.centerX(), v.centerY()};
}

TEST(MapViewport, ZoomHalvesAroundTheCenterAndZoomOutClampsToThePictureAndRecenters) {
    MapViewport v = opened(227, 236);
    EXPECT_EQ(state(v), std::tuple(Rect{0, 0, 227, 236}, 113, 118));
    v.zoomIn();
    EXPECT_EQ(state(v), std::tuple(Rect{56, 59, 170, 177}, 113, 118));
    for (int i = 0; i < 2; ++i) {
        v.zoomOut();
        EXPECT_EQ(state(v), std::tuple(Rect{0, 0, 227, 236}, 113, 118)) << i;
    }
    // Zoomed in again and again, the edges converge without crossing it.
    for (int i = 0; i < 40; ++i) {
        v.zoomIn();
        ASSERT_TRUE(v.visibleRange().left <= 113 && v.visibleRange().right >= 113) << i;
    }
    EXPECT_EQ(state(v), std::tuple(Rect{112, 117, 113, 118}, 113, 118));

    v = opened(200, 100);
    v.zoomIn();        // 50..150
    v.setCenterX(190); // range 140..240, past the right edge
    v.zoomOut();       // 90..200 after clamping
    EXPECT_EQ(state(v), std::tuple(Rect{90, 0, 200, 100}, 145, 50));
}

TEST(MapViewport, PanningAndCenteringClampTheCenterNotTheRange) {
    MapViewport v = opened(227, 236);
    v.panLeft(10); // an odd width loses one pixel
    EXPECT_EQ(state(v), std::tuple(Rect{-10, 0, 216, 236}, 103, 118));
    const auto layout = v.layout(Client);
    ASSERT_TRUE(layout);
    ASSERT_GE(layout->marginCount, 1);
    EXPECT_EQ(std::pair(layout->destination.left, layout->margins[0]),
              std::pair(10, Rect{0, 0, 10, 268}));

    v.panLeft(200);
    EXPECT_EQ(std::pair(v.centerX(), v.visibleRange().width()), std::pair(0, 226));
    v.panRight(400);
    v.panDown(1000);
    EXPECT_EQ(std::pair(v.centerX(), v.centerY()), std::pair(227, 236));
    v.panUp(1000);
    EXPECT_EQ(v.centerY(), 0);
    v.setCenterY(400);
    v.setCenterX(-50);
    EXPECT_EQ(std::pair(v.centerX(), v.centerY()), std::pair(0, 236));
}

TEST(MapViewport, TapsMapThroughTheWholeClientArea) {
    MapViewport v = opened(227, 236);
    EXPECT_EQ(v.screenToMap(Client, 120, 134), (MapPoint{113, 118}));
    EXPECT_EQ(v.probe(), (MapPoint{113, 118}));

    // A tap in a margin lands outside the picture; centring on it stops at
    // the picture's last pixel on that side.
    v.panLeft(200);
    const auto outside = v.screenToMap(Client, 0, 134);
    ASSERT_TRUE(outside);
    EXPECT_LT(outside->x, 0);
    EXPECT_TRUE(v.centerOnScreenPoint(Client, 0, 134));
    EXPECT_EQ(v.centerX(), 0);
    v.panRight(400);
    v.panDown(400);
    EXPECT_TRUE(v.centerOnScreenPoint(Client, 239, 267));
    EXPECT_EQ(std::pair(v.centerX(), v.centerY()), std::pair(226, 235));
}

// The range shown is widened on one axis to the window's shape, so that a
// picture pixel is as wide as it is high in any window.
TEST(MapViewport, TheShownRangeTakesTheWindowsShape) {
    const Rect windows[] = {Client, {0, 0, 240, 240}, {0, 0, 800, 300}, {0, 0, 150, 900}};
    for (const Rect& window : windows) {
        for (const auto& [w, h] :
             {std::pair(227, 236), std::pair(800, 560), std::pair(160, 1200)}) {
            const MapViewport v = opened(w, h);
            const Rect shown = v.shownRange(window);
            // Both axes cover the range, and the shape is the window's
            // within a pixel of rounding.
            EXPECT_TRUE(shown.left <= 0 && shown.top <= 0 && shown.right >= w && shown.bottom >= h);
            const double shownShape = static_cast<double>(shown.width()) / shown.height();
            const double windowShape = static_cast<double>(window.width()) / window.height();
            EXPECT_NEAR(shownShape, windowShape,
                        windowShape * 2.0 / std::min(shown.width(), shown.height()))
                << w << "x" << h << " in " << window.width() << "x" << window.height();
            // The picture's destination has the picture's own shape.
            const auto layout = v.layout(window);
            ASSERT_TRUE(layout);
            const double scaleX = static_cast<double>(layout->destination.width()) / w;
            const double scaleY = static_cast<double>(layout->destination.height()) / h;
            // Within a pixel of rounding on the shorter side.
            EXPECT_NEAR(scaleX / scaleY, 1.0,
                        1.5 / std::min(layout->destination.width(), layout->destination.height()));
        }
    }
}

TEST(MapViewport, LayoutLeavesMarginsOnlyWhereTheRangeLeavesThePicture) {
    auto layout = opened(227, 236).layout(Client);
    ASSERT_TRUE(layout);
    // The window is taller than the picture: white above and below it.
    EXPECT_EQ(std::tuple(layout->destination, layout->source, layout->marginCount,
                         layout->margins[0].width(), layout->margins[1].height()),
              std::tuple(Rect{0, 9, 240, 258}, Rect{0, 0, 227, 236}, 3, 0, 9));

    MapViewport corner = opened(200, 100);
    corner.setCenterX(200);
    corner.setCenterY(100);
    layout = corner.layout({0, 0, 400, 200});
    ASSERT_TRUE(layout);
    EXPECT_EQ(std::tuple(layout->source, layout->destination, layout->marginCount,
                         layout->margins[0], layout->margins[1]),
              std::tuple(Rect{100, 50, 200, 100}, Rect{0, 0, 200, 100}, 2, Rect{200, 0, 400, 200},
                         Rect{0, 100, 400, 200}));
}

// Before any site is open, and after zooming in onto an edge, the visible
// range is empty: nothing may divide by it.
TEST(MapViewport, EmptyRangeMapsNothingAndHasNoLayout) {
    MapViewport unopened;
    EXPECT_FALSE(unopened.layout(Client));
    EXPECT_FALSE(unopened.screenToMap(Client, 10, 10));
    EXPECT_FALSE(unopened.centerOnScreenPoint(Client, 10, 10));
    unopened.panRight(10);
    EXPECT_EQ(unopened.centerX(), 0);

    MapViewport edge = opened(100, 100);
    edge.setCenterX(0);
    edge.setCenterY(0);
    for (int i = 0; i < 20; ++i)
        edge.zoomIn();
    EXPECT_EQ(edge.visibleRange().width(), 0);
    EXPECT_FALSE(edge.layout(Client));
    EXPECT_FALSE(edge.screenToMap(Client, 5, 5));
    EXPECT_FALSE(opened(100, 100).screenToMap({0, 0, 0, 0}, 0, 0));
}

} // namespace
} // namespace marlow
