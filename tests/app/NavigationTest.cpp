// Moving around the map: taps mapped to picture points, the joystick's
// arrows, the scroll bars' codes, zoom, and everything before any site is
// open (all zero: nothing may divide by the empty visible range).
#include "AppHarness.h"
#include "view/widget/CommandIds.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace marlow::test {
namespace {

constexpr const char* NoSitePort = "/dev/marlow-test-no-such-port";
constexpr const char* OpenFirstText = "Open a site file first: the survey points belong to a site.";

// A 227 x 236 site shown whole in a client area of 240 x 268.
struct Navigation : ::testing::Test {
    TempDir dir;
    TestProgram program;
    CMarlowView& view = program.view();
    QScrollBar& horizontal = *view.horizontalScrollBar();
    QScrollBar& vertical = *view.verticalScrollBar();

    void SetUp() override {
        program.start(NoSitePort);
        program.setClientSize(240, 268);
        ASSERT_TRUE(view.openSiteFile(makeBandSite(dir, "site.tws", 227, 236)));
        program.boxes.shown.clear();
        program.sounds.played.clear();
    }
    MapPoint centre() const { return {view.mapViewport().centerX(), view.mapViewport().centerY()}; }
};

TEST_F(Navigation, ATapCentresOnThePicturePointUnderThePen) {
    EXPECT_EQ(centre(), (MapPoint{113, 118}));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(120, 134));
    EXPECT_EQ(centre(), (MapPoint{113, 118}));
    EXPECT_EQ(view.currentScreen(), ScreenMode::SurveyScreen);

    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(60, 67));
    EXPECT_EQ(centre(), (MapPoint{56, 59}));
    EXPECT_EQ(horizontal.value(), 56);
    EXPECT_EQ(vertical.value(), 59);
    EXPECT_EQ(view.site()->newX, 56);
    EXPECT_EQ(view.site()->newY, 59);

    // In the margin left of the picture: the point is taken at its edge.
    for (int i = 0; i < 8; ++i)
        QTest::keyClick(&view, Qt::Key_Left);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(2, 134));
    EXPECT_EQ(view.mapViewport().centerX(), 0);
    EXPECT_EQ(view.site()->newX, 0);
    EXPECT_EQ(program.sounds.played.size(), 3u);
}

TEST_F(Navigation, ArrowKeysPanTenPicturePixelsAndSetTheirBar) {
    struct Step {
        Qt::Key key;
        MapPoint centre;
        int horizontalBar;
        int verticalBar;
    };
    const Step steps[] = {
        {Qt::Key_Left, {103, 118}, 103, 118},
        {Qt::Key_Up, {103, 108}, 103, 108},
        {Qt::Key_Right, {113, 108}, 113, 108},
        {Qt::Key_Down, {113, 118}, 113, 118},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.key);
        QTest::keyClick(&view, step.key);
        EXPECT_EQ(centre(), step.centre);
        EXPECT_EQ(horizontal.value(), step.horizontalBar);
        EXPECT_EQ(vertical.value(), step.verticalBar);
    }
    // Held at the left edge the centre stays at 0, the range keeps its
    // size and the window's left half is white margin.
    const Rect range = view.mapViewport().visibleRange();
    for (int i = 0; i < 13; ++i)
        QTest::keyClick(&view, Qt::Key_Left);
    EXPECT_EQ(view.mapViewport().centerX(), 0);
    EXPECT_EQ(horizontal.value(), 0);
    EXPECT_EQ(view.mapViewport().visibleRange().width(), range.width());
    EXPECT_EQ(colorAt(program.render(), 10, 40), 0xFFFFFFu);
    EXPECT_TRUE(program.boxes.shown.empty());
}

TEST_F(Navigation, ScrollBarCodesMoveTheCentreAndTheBarFollowsIt) {
    struct Case {
        QAbstractSlider::SliderAction action;
        int horizontalCentre;
        int verticalCentre;
    };
    const Case cases[] = {
        {QAbstractSlider::SliderSingleStepSub, 103, 108},
        {QAbstractSlider::SliderSingleStepAdd, 123, 128},
        {QAbstractSlider::SliderPageStepSub, 0, 0},     // by 240 or 268, clamped
        {QAbstractSlider::SliderPageStepAdd, 227, 236}, // clamped at the far edge
        {QAbstractSlider::SliderToMinimum, 113, 118},   // ends change nothing
        {QAbstractSlider::SliderToMaximum, 113, 118},
        {QAbstractSlider::SliderNoAction, 113, 118},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        ASSERT_TRUE(view.openSiteFile(view.openSitePath()));
        horizontal.triggerAction(c.action);
        vertical.triggerAction(c.action);
        EXPECT_EQ(centre(), (MapPoint{c.horizontalCentre, c.verticalCentre}));
        EXPECT_EQ(horizontal.value(), c.horizontalCentre);
        EXPECT_EQ(vertical.value(), c.verticalCentre);
    }
}

TEST_F(Navigation, ZoomHalvesAndDoublesTheRangeAroundTheCentre) {
    view.dispatchCommand(command::ZoomIn);
    EXPECT_EQ(view.mapViewport().visibleRange(), (Rect{56, 59, 170, 177}));
    EXPECT_EQ(centre(), (MapPoint{113, 118}));
    view.dispatchCommand(command::ZoomOut);
    EXPECT_EQ(view.mapViewport().visibleRange(), (Rect{0, 0, 227, 236}));
    view.dispatchCommand(command::ZoomOut);
    EXPECT_EQ(view.mapViewport().visibleRange(), (Rect{0, 0, 227, 236}));

    // Zoomed in onto the left edge until the range is empty: the map is
    // white and a tap takes no point.
    horizontal.triggerAction(QAbstractSlider::SliderPageStepSub);
    vertical.triggerAction(QAbstractSlider::SliderPageStepSub);
    for (int i = 0; i < 20; ++i)
        view.dispatchCommand(command::ZoomIn);
    ASSERT_EQ(view.mapViewport().visibleRange().width(), 0);
    const QImage image = program.render();
    EXPECT_EQ(colorAt(image, 5, 5), 0xFFFFFFu);
    EXPECT_EQ(colorAt(image, 235, 260), 0xFFFFFFu);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_EQ(view.currentScreen(), ScreenMode::MapScreen);
    EXPECT_TRUE(program.sounds.played.empty());
    EXPECT_TRUE(program.boxes.shown.empty());
}

TEST(NavigationBeforeAnySite, NothingDividesByTheEmptyRange) {
    TestProgram program;
    CMarlowView& view = program.view();
    EXPECT_FALSE(program.render().isNull()); // the title screen, before the link
    program.start(NoSitePort);
    EXPECT_EQ(program.boxTexts(), std::vector<std::string>{"Cannot Open Connection To Board."});
    program.boxes.shown.clear();
    EXPECT_EQ(view.currentScreen(), ScreenMode::TitleScreen);
    program.render();

    // Navigation moves the all-zero viewport and nothing else.
    for (const Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down})
        QTest::keyClick(&view, key);
    view.dispatchCommand(command::ZoomIn);
    view.dispatchCommand(command::ZoomOut);
    for (QScrollBar* bar : {view.horizontalScrollBar(), view.verticalScrollBar()}) {
        for (const auto action :
             {QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderPageStepAdd,
              QAbstractSlider::SliderPageStepSub, QAbstractSlider::SliderMove})
            bar->triggerAction(action);
    }
    EXPECT_EQ(view.mapViewport().visibleRange(), (Rect{0, 0, 0, 0}));
    EXPECT_EQ(view.mapViewport().centerX(), 0);

    // A cancelled Open shows the map: white.
    {
        const ModalWatch watch([](QWidget* dialog) { dialog->close(); });
        view.dispatchCommand(command::OpenSite);
    }
    EXPECT_EQ(view.currentScreen(), ScreenMode::MapScreen);
    const QImage map = program.render();
    EXPECT_EQ(colorAt(map, 3, 3), 0xFFFFFFu);
    EXPECT_EQ(colorAt(map, map.width() - 3, map.height() - 3), 0xFFFFFFu);

    // Taking or inspecting a point only says that a site must be opened.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(40, 40));
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, QPoint(40, 40));
    EXPECT_EQ(program.boxTexts(), std::vector<std::string>(3, OpenFirstText));
    EXPECT_EQ(program.boxes.shown.front().icon, BoxIcon::Information);
    EXPECT_TRUE(program.sounds.played.empty());
    EXPECT_EQ(view.currentScreen(), ScreenMode::MapScreen);
    EXPECT_EQ(view.site(), nullptr);
}

} // namespace
} // namespace marlow::test
