// The program as it starts: the main frame, its status refresh, everything
// before any site is open (nothing may divide by the empty visible range,
// points and saves ask for a site), the accelerators; and the program's own
// message boxes and sounds.
#include "AppHarness.h"
#include "shell/DemoSite.h"
#include "shell/QtMessageBoxes.h"
#include "shell/QtSounds.h"
#include "view/widget/MessageEvent.h"

#include <QAction>
#include <QMessageBox>
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
    EXPECT_EQ(toolTips, (QStringList{"Open a Site File", "Save Site File", "RSSI Color Scale",
                                     "Zoom In", "Zoom Out", "Help", "About"}));
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
