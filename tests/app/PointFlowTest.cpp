// The program with the simulated board on a pseudo-terminal: a point taken
// end to end (the survey screen, the commit, the mark, the panes), a point
// where nothing was heard, selecting and deleting a point, and shutting the
// link down.
#include "AppHarness.h"
#include "board/Simulator.h"

namespace marlow::test {
namespace {

// The site is the client area's size, shown one to one.
constexpr QPoint Center(120, 134);
constexpr QRgb White = 0xFFFFFF;
constexpr QRgb Yellow = 0xFFFF00; // the band of -55

struct WithBoard : ::testing::Test {
    TempDir dir;
    std::unique_ptr<board::BoardServer> board; // outlives the program's link
    TestProgram program;
    CMarlowView& view = program.view;

    // The board, answering at once, hears one access point where it stands,
    // at -55 on channel 6.
    void startWith(const std::function<void(board::SimulatorConfig&)>& adjust = {}) {
        board::SimulatorConfig config;
        config.line.pacing = false;
        config.scenario.pathLoss.noiseDb = 0;
        config.scenario.pathLoss.referenceDbm = -30; // the loss within a metre
        config.scenario.accessPoints.push_back(
            {{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}, "lab", 6, 0, 0, -25.0});
        if (adjust)
            adjust(config);
        board = board::makeSimulator(std::move(config));
        ASSERT_TRUE(board->startOnPseudoTerminal());
        program.start(board->devicePath());
        program.setClientSize(240, 268);
        ASSERT_TRUE(view.openSiteFile(bandSite(dir, 240, 268)));
        program.boxes.shown.clear();
    }
    // Two disc pixels clear of the cross-hair's lines, and one right of it.
    std::vector<QRgb> discPixels() {
        const QImage map = program.render();
        return {colorAt(map, Center.x() - 5, Center.y() - 5),
                colorAt(map, Center.x() + 5, Center.y() + 5),
                colorAt(map, Center.x() + 17, Center.y())};
    }
};

TEST_F(WithBoard, TapScanCommitMarkPanesSelectAndDelete) {
    startWith();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, Center);

    // The scan done but not yet handled: the survey screen, channel 14
    // (dark green) scanned last, not channel 13 or 1; nothing stored yet.
    ASSERT_TRUE(waitFor([&] { return view.session().link()->scanDone.load(); }, false));
    const QImage survey = program.render();
    EXPECT_EQ(std::tuple(colorAt(survey, 72 + 25 * 6, 46), colorAt(survey, 72 + 25 * 5, 46),
                         colorAt(survey, 72, 21), SurveyStore.size()),
              std::tuple(0x008000u, 0u, 0u, 0u));

    ASSERT_TRUE(waitFor([&] { return program.pane(0) == "L: 1"; }));
    EXPECT_EQ(view.currentScreen(), ScreenMode::MapScreen);
    EXPECT_EQ(describe(SurveyStore),
              std::vector<std::string>{"TEST 120,134 001122334455 6 -55 lab"});
    EXPECT_EQ(program.panes(), (QStringList{"L: 1", "P: 1", "X: 120", "Y: 134"}));
    EXPECT_TRUE(program.boxes.shown.empty());
    EXPECT_EQ(discPixels(), (std::vector<QRgb>{Yellow, Yellow, White}));

    // Far from the point: no dialog. Held still near it: the dialog, closed.
    {
        const ModalWatch watch;
        QTest::mouseClick(view.viewport(), Qt::RightButton, {}, QPoint(5, 5));
        EXPECT_FALSE(watch.acted);
    }
    {
        const ModalWatch watch;
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, Center + QPoint(20, 0));
        ASSERT_TRUE(waitFor([&] { return watch.acted; }));
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, Center + QPoint(20, 0));
    }
    EXPECT_EQ(std::pair(SurveyStore.size(), view.currentScreen()),
              std::pair(std::size_t{1}, ScreenMode::MapScreen)); // no point taken
    // Right-click below the point and delete: the whole mark goes and the
    // plan (white here) shows again.
    const ModalWatch watch(clickButton("DELETE THIS POINT"));
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, Center + QPoint(0, 12));
    EXPECT_TRUE(SurveyStore.empty());
    EXPECT_EQ(discPixels(), (std::vector<QRgb>{White, White, White}));

    // Another site, its work let go: the panes start over at once.
    program.boxes.onShow = [&](const MessageBoxRequest& request) {
        program.boxes.answer =
            request.buttons == BoxButtons::SaveDiscardCancel ? BoxAnswer::Discard : BoxAnswer::No;
    };
    ASSERT_TRUE(view.openSiteFile(bandSite(dir, 120, 90)));
    EXPECT_EQ(program.panes(), (QStringList{"L: 0", "P: 0", "X: 0", "Y: 0"}));
}

TEST_F(WithBoard, NothingHeardStoresAPlaceholderAndWarns) {
    startWith([](board::SimulatorConfig& config) { config.scenario.accessPoints.clear(); });
    // The alarm has sounded and the mark is not yet painted when the box shows.
    program.boxes.onShow = [&](const MessageBoxRequest&) {
        EXPECT_EQ(program.sounds.played, (std::vector<std::string>{"ping", "REDALERT sync"}));
        EXPECT_EQ(discPixels()[0], White);
    };
    QTest::keyClick(&view, Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return program.pane(0) == "L: 1"; }));
    EXPECT_EQ(program.boxes.texts(), std::vector{box("No Access Points Detected!",
                                                     "COVERAGE WARNING", BoxIcon::Exclamation)});
    EXPECT_EQ(describe(SurveyStore),
              std::vector<std::string>{"FILL 120,134 000000000000 0 0 FILL"});
    EXPECT_EQ(program.pane(1), "P: 0");
    EXPECT_EQ(discPixels(), (std::vector<QRgb>{0, 0, White})); // as -90: band 6, black
}

// The surveyor minimises while the low-battery box holds the link's reader:
// the link stops, releasing the reader, before the window closes and the
// program ends.
TEST_F(WithBoard, MinimisingWhileTheLowBatteryBoxIsOpenStopsTheLinkThenEndsTheProgram) {
    startWith([](board::SimulatorConfig& config) { config.lowBattery = true; });
    std::optional<bool> linkRanAtClose;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &view,
                     [&] { linkRanAtClose = view.session().linkRunning(); });
    program.boxes.onShow = [&](const MessageBoxRequest&) {
        program.frame.setWindowState(Qt::WindowMinimized);
    };
    QTimer::singleShot(0, &view, [&] { QTest::keyClick(&view, Qt::Key_Return); });
    QTimer::singleShot(20000, &view, [] { QCoreApplication::exit(1); }); // never ends
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(program.boxes.shown.size(), 1u);
    EXPECT_EQ(linkRanAtClose, false);
    EXPECT_FALSE(program.frame.isVisible());
}

// Without a board the title screen says so; a point's survey screen says the
// board is not answering, and a tap or Escape returns to the map with
// nothing stored.
TEST(NoBoard, TheScreensSayNoBoardAnswersAndTheSurveyorGetsBackToTheMap) {
    TempDir dir;
    TestProgram program;
    CMarlowView& view = program.view;
    program.start("/dev/marlow-test-no-such-port");
    program.setClientSize(240, 320);
    const QRgb NoticeYellow = 0xFFFF00;
    ASSERT_TRUE(waitFor([&] { return colorAt(program.render(), 20, 45) == NoticeYellow; }));
    EXPECT_EQ(view.session().boardName(), "/dev/marlow-test-no-such-port");
    ASSERT_TRUE(view.openSiteFile(bandSite(dir, 240, 320)));

    const std::function<void()> giveUps[] = {
        [&] { QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, Center); },
        [&] { QTest::keyClick(&view, Qt::Key_Escape); },
    };
    for (const auto& giveUp : giveUps) {
        QTest::keyClick(&view, Qt::Key_Return);
        EXPECT_EQ(view.currentScreen(), ScreenMode::SurveyScreen);
        ASSERT_TRUE(waitFor([&] { return colorAt(program.render(), 5, 315) == NoticeYellow; }));
        giveUp();
        EXPECT_EQ(view.currentScreen(), ScreenMode::MapScreen);
    }
    EXPECT_TRUE(SurveyStore.empty());
    EXPECT_EQ(program.pane(0), "L: 0");
}

} // namespace
} // namespace marlow::test
