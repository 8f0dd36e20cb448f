// Moving around the map: taps, the joystick's arrows, the scroll bars'
// codes, the zoom buttons and the survey screen's radar on a 227 x 236 site
// in a 240 x 268 client area.
#include "AppHarness.h"
#include "view/ScreenPainters.h"

#include <QPainter>
#include <QScrollBar>

namespace marlow::test {
namespace {

struct Navigation : ::testing::Test {
    TempDir dir;
    TestProgram program;
    CMarlowView& view = program.view;

    void SetUp() override {
        program.start();
        program.setClientSize(240, 268);
        ASSERT_TRUE(view.openSiteFile(bandSite(dir, 227, 236)));
        program.boxes.shown.clear();
    }
    // The centre and the two bars.
    std::array<int, 4> state() const {
        return {view.mapViewport().centerX(), view.mapViewport().centerY(),
                view.horizontalScrollBar()->value(), view.verticalScrollBar()->value()};
    }
};

TEST_F(Navigation, KeysScrollCodesAndATapMoveTheCenterTheBarsFollowAndTheRadarTurns) {
    const std::pair<Qt::Key, std::array<int, 4>> keys[] = {{Qt::Key_Left, {103, 118, 103, 118}},
                                                           {Qt::Key_Up, {103, 108, 103, 108}},
                                                           {Qt::Key_Right, {113, 108, 113, 108}},
                                                           {Qt::Key_Down, {113, 118, 113, 118}}};
    for (const auto& [key, expected] : keys) {
        QTest::keyClick(&view, key);
        EXPECT_EQ(state(), expected) << key;
    }
    const std::pair<QAbstractSlider::SliderAction, std::array<int, 4>> codes[] = {
        {QAbstractSlider::SliderSingleStepSub, {103, 108, 103, 108}},
        {QAbstractSlider::SliderSingleStepAdd, {123, 128, 123, 128}},
        {QAbstractSlider::SliderPageStepSub, {0, 0, 0, 0}}, // by 240 or 268, clamped
        {QAbstractSlider::SliderPageStepAdd, {227, 236, 227, 236}},
        {QAbstractSlider::SliderToMaximum, {113, 118, 113, 118}}}; // the ends only repaint
    for (const auto& [action, expected] : codes) {
        ASSERT_TRUE(view.openSiteFile(view.session().sitePath()));
        view.horizontalScrollBar()->triggerAction(action);
        view.verticalScrollBar()->triggerAction(action);
        EXPECT_EQ(state(), expected) << action;
    }
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(60, 67));
    EXPECT_EQ(state(), (std::array{56, 59, 56, 59}));
    EXPECT_EQ(std::pair(view.session().site()->newX, view.session().site()->newY),
              std::pair(56, 59));
    EXPECT_EQ(view.currentScreen(), ScreenMode::SurveyScreen);
    EXPECT_EQ(program.sounds.played, std::vector<std::string>{"ping"});

    // The radar turns one step per survey paint.
    std::vector<QImage> radars; // pictures 139 to 142 as the survey screen stretches them
    for (const QImage& radar : ViewArt::load().radar) {
        QPainter painter(&radars.emplace_back(50, 50, QImage::Format_RGB32));
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, 50, 50), radar);
    }
    for (const int picture : {140, 141, 142, 139, 140, 141, 142, 139, 140})
        EXPECT_EQ(program.render().copy(0, 0, 50, 50), radars[picture - 139]) << picture;
}

TEST_F(Navigation, ZoomButtonsAndAnEmptyRangeThatIsWhiteAndTakesNoPoint) {
    program.button(3);
    EXPECT_EQ(view.mapViewport().visibleRange(), (Rect{56, 59, 170, 177}));
    program.button(4);
    EXPECT_EQ(view.mapViewport().visibleRange(), (Rect{0, 0, 227, 236}));
    // Zoomed in at the left edge until the range is empty.
    view.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    for (int i = 0; i < 20; ++i)
        program.button(3);
    ASSERT_EQ(view.mapViewport().visibleRange().width(), 0);
    EXPECT_EQ(colorAt(program.render(), 5, 5), 0xFFFFFFu);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_EQ(view.currentScreen(), ScreenMode::MapScreen);
    EXPECT_TRUE(program.sounds.played.empty());
    EXPECT_TRUE(program.boxes.shown.empty());
}

} // namespace
} // namespace marlow::test
