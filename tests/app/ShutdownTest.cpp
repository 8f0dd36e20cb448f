// Ending the program: minimising stops the serial link and then closes the
// window, which ends the program; the low-battery box holds the link's
// reader until it is closed, and shutting down releases a reader that waits
// for it.
#include "AppHarness.h"
#include "BoardLine.h"
#include "store/Lists.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace marlow::test {
namespace {

// Notes whether the link still ran when the frame's close arrived.
class CloseWatch final : public QObject {
public:
    explicit CloseWatch(CMainFrame& frame) : m_frame(frame) { frame.installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_frame && event->type() == QEvent::Close) {
            closed = true;
            linkRanAtClose = m_frame.view()->linkRunning();
        }
        return false;
    }
    bool closed = false;
    bool linkRanAtClose = true;

private:
    CMainFrame& m_frame;
};

TEST(Shutdown, MinimisingStopsTheLinkThenClosesAndEndsTheProgram) {
    BoardLine board(boardHearing(0, 0, -50, 1));
    TestProgram program;
    program.start(board.device());
    board.answerHandshake();
    ASSERT_TRUE(program.view().linkRunning());
    CloseWatch watch(program.frame());

    QTimer::singleShot(0, &program.frame(),
                       [&] { program.frame().setWindowState(Qt::WindowMinimized); });
    // Guard against a program that does not end.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(20000);
    EXPECT_EQ(QApplication::exec(), 0);

    EXPECT_TRUE(watch.closed);
    EXPECT_FALSE(watch.linkRanAtClose);
    EXPECT_FALSE(program.frame().isVisible());
    EXPECT_FALSE(program.view().linkRunning());
}

struct LowBattery : ::testing::Test {
    TempDir dir;
    TestProgram program;
    std::unique_ptr<BoardLine> board;

    void SetUp() override {
        sim::BoardConfig config = boardHearing(20, 20, -50, 1);
        config.lowBattery = true;
        board = std::make_unique<BoardLine>(std::move(config));
        program.start(board->device());
        board->answerHandshake();
        ASSERT_TRUE(program.view().openSiteFile(makeBandSite(dir, "site.tws", 40, 40)));
        program.boxes.shown.clear();
        QTest::keyClick(&program.view(), Qt::Key_Return);
        board->awaitRequest(sim::CommandType);
    }
};

TEST_F(LowBattery, StoppingTheLinkReleasesAReaderWaitingForTheWarning) {
    program.boxes.onShow = [&](const MessageBoxRequest&) {
        // The surveyor minimises while the box is open: the link stops, its
        // reader no longer waiting for the box.
        program.view().stopLink();
        EXPECT_FALSE(program.view().linkRunning());
    };
    board->sendAnswers();
    ASSERT_TRUE(waitFor([&] { return !program.boxes.shown.empty(); }));
    EXPECT_FALSE(program.view().linkRunning());
}

} // namespace
} // namespace marlow::test
