// The program as it starts: the main frame, its status refresh, everything
// before any site is open (nothing may divide by the empty visible range,
// points and saves ask for a site), the accelerators; moving around a
// 227 x 236 site in a 240 x 268 client area (taps, the joystick's arrows,
// the scroll bars' codes, the zoom buttons) and the survey screen's radar;
// the demo's site; and the program's own message boxes and sounds.
#include "AppHarness.h"
#include "shell/DemoSite.h"
#include "shell/QtMessageBoxes.h"
#include "shell/QtSounds.h"
#include "view/ScreenPainters.h"
#include "view/widget/MessageEvent.h"

#include <QAction>
#include <QMessageBox>
#include <QPainter>
#include <QScrollBar>

namespace marlow::test {
namespace {

TEST(Program, TheFrameAndEverythingBeforeAnySite) {
    TestProgram program;
    CMainFrame& frame = program.frame;
    CMarlowView& view = program.view;
    EXPECT_EQ(frame.windowTitle(), "Marlow B");
    QStringList toolTips;
    for (const QAction* action : frame.commandBar()->actions())
        toolTips << action->toolTip();
    // Each names the first of its command's keys.
    EXPECT_EQ(toolTips, (QStringList{"Open a Site File (Ctrl+O)", "Save Site File (Ctrl+S)",
                                     "RSSI Color Scale", "Zoom In (+)", "Zoom Out (-)", "Help (F1)",
                                     "About"}));
    EXPECT_EQ(program.panes(), (QStringList{"L: 0", "P: 0", "X: 0", "Y: 0"}));

    // The status refresh reads the signed low words of its parameters.
    QCoreApplication::postEvent(&frame, new MessageEvent(MarlStatusUpdate, 0x18000, -2));
    QCoreApplication::sendPostedEvents(&frame);
    EXPECT_EQ(program.panes(), (QStringList{"L: 0", "P: 0", "X: -32768", "Y: -2"}));

    // Nothing divides by the empty visible range before any site.
    program.render(); // the title screen, before the link
    program.start();
    EXPECT_EQ(program.boxes.texts(),
              std::vector{box("Cannot Open Connection To Board.", "Marlow B", BoxIcon::None)});
    QTest::keyClick(&view, Qt::Key_Left);
    program.button(3);
    view.horizontalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(view.mapViewport().visibleRange(), (Rect{0, 0, 0, 0}));
    const ModalWatch cancel;
    program.button(0); // a cancelled Open shows the map: white
    EXPECT_EQ(view.currentScreen(), ScreenMode::MapScreen);
    EXPECT_EQ(colorAt(program.render(), 3, 3), 0xFFFFFFu);

    program.boxes.shown.clear();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(40, 40));
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, QPoint(40, 40));
    EXPECT_EQ(program.boxes.texts(),
              std::vector(3, box("Open a site file first: the survey points belong to a site.",
                                 "Marlow B", BoxIcon::Information)));
    EXPECT_TRUE(program.sounds.played.empty());

    // Both saves: the sign-off dialog first for Save Site Data, then the
    // failure.
    program.boxes.shown.clear();
    const ModalWatch watch(clickButton("SAVE SITE SURVEY"));
    program.frame.dispatchCommand(command::SaveSiteData);
    EXPECT_TRUE(watch.acted);
    program.frame.dispatchCommand(command::FullRewrite);
    EXPECT_EQ(program.boxes.texts(),
              std::vector(2, box("Could not update site", "Site Update Error", BoxIcon::Error)));

    // Ctrl+Q closes.
    QApplication::setActiveWindow(&frame);
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == &frame; }));
    QTest::keyClick(&view, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(waitFor([&] { return !frame.isVisible(); }));
}

struct Navigation : ::testing::Test {
    TempDir dir;
    TestProgram program;
    CMarlowView& view = program.view;

    void SetUp() override {
        program.start();
        program.setClientSize(240, 268);
        ASSERT_TRUE(view.openSiteFile(bandSite(dir, 227, 236)));
        program.boxes.shown.clear();
        EXPECT_EQ(state(), (std::array{113, 118, 113, 118})); // centred, the bars in step
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
    // The window is taller than the site's shape: the range shown runs from
    // -9 to 245, so a quarter of the way down is 54.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(60, 67));
    EXPECT_EQ(state(), (std::array{56, 54, 56, 54}));
    EXPECT_EQ(std::pair(view.currentScreen(), program.sounds.played),
              std::pair(ScreenMode::SurveyScreen, std::vector<std::string>{"ping"}));

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

// The demo's site is found from the program's folder, installed or built.
TEST(DemoSite, FoundBesideAnInstalledProgramOrInItsBuildTree) {
    TempDir dir;
    namespace fs = std::filesystem;
    for (const auto& [program, site] :
         {std::pair{"usr/bin", "usr/share/marlow/office.tws"},
          std::pair{"build/src/shell", "build/resources/office.tws"}}) {
        fs::create_directories(dir.file(program));
        fs::create_directories(fs::path(dir.file(site)).parent_path());
        writeBytes(dir.file(site), Bytes(10, 0));
        const Result<std::string> found = findDemoSite(dir.file(program));
        ASSERT_TRUE(found) << found.error().message;
        EXPECT_EQ(*found, fs::canonical(dir.file(site)).string());
    }
    const Result<std::string> missing = findDemoSite(dir.file("opt/bin"));
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().message.find(dir.file("opt/share/marlow/office.tws")),
              std::string::npos);
}

// The demo saves into the surveyor's own copy of the sample, made once.
TEST(DemoSite, TheDemoWorksOnACopyMadeOnceAndKept) {
    TempDir dir;
    const std::string sample = dir.file("sample.tws");
    writeBytes(sample, Bytes(10, 1));
    const Result<std::string> copy = demoWorkingCopy(sample, dir.file("data/marlow"));
    ASSERT_TRUE(copy) << copy.error().message;
    EXPECT_EQ(*copy, dir.file("data/marlow/office.tws"));
    writeBytes(*copy, Bytes(20, 2)); // points saved in the copy
    ASSERT_TRUE(demoWorkingCopy(sample, dir.file("data/marlow")));
    EXPECT_EQ(readBytes(*copy), Bytes(20, 2));
    // A folder that cannot be made is said.
    writeBytes(dir.file("file"), Bytes(1, 0));
    const Result<std::string> refused = demoWorkingCopy(sample, dir.file("file/marlow"));
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().message.find("cannot copy the sample site"), std::string::npos);
}

TEST(QtServices, MessageBoxesShowTheRequestAndReturnTheAnswer) {
    const ModalWatch watch([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        EXPECT_EQ(box->text() + "|" + box->windowTitle() + "|" + box->informativeText(),
                  "Keep?|Tessel|Points were taken.");
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(QtMessageBoxes().show(nullptr, {"Keep?", "Tessel", BoxIcon::Error, BoxButtons::YesNo,
                                              "Points were taken."}),
              BoxAnswer::No);
}

TEST(QtServices, PlayingToTheEndReturnsWithoutAnAudioDeviceAndHandlesMessages) {
    QtSounds sounds;
    bool delivered = false;
    QMetaObject::invokeMethod(
        qApp, [&] { delivered = true; }, Qt::QueuedConnection);
    sounds.playSoundSync("REDALERT");
    EXPECT_TRUE(delivered);
}

} // namespace
} // namespace marlow::test
