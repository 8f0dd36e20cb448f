// Zoom, pan, centring, tap mapping and layout of the map viewport.
#include "view/MapViewport.h"

#include <gtest/gtest.h>

namespace marlow {
namespace {

MapViewport opened(std::int32_t width, std::int32_t height) {
    MapViewport v;
    v.setBounds({0, 0, width, height});
    v.showAll({0, 0, width, height});
    return v;
}

TEST(MapViewport, OpenShowsTheWholePictureCentered) {
    const MapViewport v = opened(227, 236);
    EXPECT_EQ(v.visibleRange(), (Rect{0, 0, 227, 236}));
    EXPECT_EQ(v.centerX(), 113);
    EXPECT_EQ(v.centerY(), 118);
}

TEST(MapViewport, ZoomInHalvesAroundTheCenterAndZoomOutRestores) {
    MapViewport v = opened(227, 236);
    v.zoomIn();
    EXPECT_EQ(v.visibleRange(), (Rect{56, 59, 170, 177}));
    EXPECT_EQ(v.centerX(), 113);
    v.zoomOut();
    EXPECT_EQ(v.visibleRange(), (Rect{0, 0, 227, 236}));
    EXPECT_EQ(v.centerX(), 113);
    EXPECT_EQ(v.centerY(), 118);
    v.zoomOut();
    EXPECT_EQ(v.visibleRange(), (Rect{0, 0, 227, 236}));
}

TEST(MapViewport, RepeatedZoomInConvergesWithoutCrossingTheCenter) {
    MapViewport v = opened(227, 236);
    for (int i = 0; i < 40; ++i) {
        v.zoomIn();
        const Rect r = v.visibleRange();
        ASSERT_LE(r.left, 113);
        ASSERT_GE(r.right, 113);
        ASSERT_EQ(v.centerX(), 113);
    }
    EXPECT_EQ(v.visibleRange().left, 112);
    EXPECT_EQ(v.visibleRange().right, 113);
}

TEST(MapViewport, ZoomOutClampsToThePictureAndRecenters) {
    MapViewport v = opened(200, 100);
    v.zoomIn();        // 50..150
    v.setCenterX(190); // range 140..240, past the right edge
    v.zoomOut();       // 90..200 after clamping
    EXPECT_EQ(v.visibleRange().left, 90);
    EXPECT_EQ(v.visibleRange().right, 200);
    EXPECT_EQ(v.centerX(), 145);
}

TEST(MapViewport, PanningClampsTheCenterNotTheRange) {
    MapViewport v = opened(227, 236);
    v.panLeft(10);
    EXPECT_EQ(v.centerX(), 103);
    EXPECT_EQ(v.visibleRange().left, -10);
    EXPECT_EQ(v.visibleRange().right, 216); // an odd width loses one pixel

    const auto layout = v.layout({0, 0, 240, 268});
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->destination.left, 10);
    ASSERT_GE(layout->marginCount, 1);
    EXPECT_EQ(layout->margins[0], (Rect{0, 0, 10, 268}));

    for (int i = 0; i < 20; ++i)
        v.panLeft(10);
    EXPECT_EQ(v.centerX(), 0);
    EXPECT_EQ(v.visibleRange().width(), 226);
    for (int i = 0; i < 40; ++i)
        v.panRight(10);
    EXPECT_EQ(v.centerX(), 227);
    v.panDown(1000);
    EXPECT_EQ(v.centerY(), 236);
    v.panUp(1000);
    EXPECT_EQ(v.centerY(), 0);
}

TEST(MapViewport, SetCenterClampsToThePicture) {
    MapViewport v = opened(227, 236);
    v.setCenterY(400);
    EXPECT_EQ(v.centerY(), 236);
    v.setCenterX(-50);
    EXPECT_EQ(v.centerX(), 0);
}

TEST(MapViewport, TapsMapThroughTheWholeClientArea) {
    MapViewport v = opened(227, 236);
    EXPECT_EQ(v.screenToMap({0, 0, 240, 268}, 120, 134), (MapPoint{113, 118}));
    EXPECT_EQ(v.probe(), (MapPoint{113, 118}));
    EXPECT_EQ(v.eraseRect(), (Rect{98, 103, 128, 133}));

    // A tap in a margin lands outside the picture; centring on it stops at
    // the edge.
    v.panLeft(200);
    const auto outside = v.screenToMap({0, 0, 240, 268}, 0, 134);
    ASSERT_TRUE(outside);
    EXPECT_LT(outside->x, 0);
    EXPECT_TRUE(v.centerOnScreenPoint({0, 0, 240, 268}, 0, 134));
    EXPECT_EQ(v.centerX(), 0);
    EXPECT_EQ(v.markRect(), (Rect{-10, v.centerY() - 10, 10, v.centerY() + 10}));
}

TEST(MapViewport, FullRangeLayoutHasOnlyEmptyLeftAndTopMargins) {
    const MapViewport v = opened(227, 236);
    const auto layout = v.layout({0, 0, 240, 268});
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->destination, (Rect{0, 0, 240, 268}));
    EXPECT_EQ(layout->source, (Rect{0, 0, 227, 236}));
    ASSERT_EQ(layout->marginCount, 2);
    EXPECT_EQ(layout->margins[0].width(), 0);
    EXPECT_EQ(layout->margins[1].height(), 0);
}

TEST(MapViewport, RangePastTheBottomRightLeavesMarginsThere) {
    MapViewport v = opened(200, 100);
    v.setCenterX(200);
    v.setCenterY(100);
    const auto layout = v.layout({0, 0, 400, 200});
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->source, (Rect{100, 50, 200, 100}));
    EXPECT_EQ(layout->destination, (Rect{0, 0, 200, 100}));
    ASSERT_EQ(layout->marginCount, 2);
    EXPECT_EQ(layout->margins[0], (Rect{200, 0, 400, 200}));
    EXPECT_EQ(layout->margins[1], (Rect{0, 100, 400, 200}));
}

// Before any site is open, and after zooming in onto an edge, the visible
// range is empty: nothing may divide by it.
TEST(MapViewport, EmptyRangeMapsNothingAndHasNoLayout) {
    MapViewport unopened;
    EXPECT_FALSE(unopened.layout({0, 0, 240, 268}));
    EXPECT_FALSE(unopened.screenToMap({0, 0, 240, 268}, 10, 10));
    EXPECT_FALSE(unopened.centerOnScreenPoint({0, 0, 240, 268}, 10, 10));
    unopened.panRight(10);
    EXPECT_EQ(unopened.centerX(), 0);

    MapViewport edge = opened(100, 100);
    edge.setCenterX(0);
    edge.setCenterY(0);
    for (int i = 0; i < 20; ++i)
        edge.zoomIn();
    EXPECT_EQ(edge.visibleRange().width(), 0);
    EXPECT_FALSE(edge.layout({0, 0, 240, 268}));
    EXPECT_FALSE(edge.screenToMap({0, 0, 240, 268}, 5, 5));

    const MapViewport v = opened(100, 100);
    MapViewport copy = v;
    EXPECT_FALSE(copy.screenToMap({0, 0, 0, 0}, 0, 0));
}

} // namespace
} // namespace marlow
