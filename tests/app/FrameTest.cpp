// The main frame: its command bar and status panes, the status refresh that
// the view posts after each point, the registered message ids, and the
// accelerators.
#include "AppHarness.h"
#include "shell/ProgramStatics.h"
#include "shell/RegisteredMessages.h"
#include "view/widget/CommandIds.h"
#include "view/widget/MessageEvent.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace marlow::test {
namespace {

TEST(FrameTest, TitleCommandBarAndPanesAsTheHandheldShowsThem) {
    TestProgram program;
    CMainFrame& frame = program.frame();
    EXPECT_EQ(frame.windowTitle(), "Marlow B");
    EXPECT_EQ(frame.size(), QSize(240, 320));
    EXPECT_FALSE(frame.windowIcon().isNull());

    QToolBar* bar = frame.commandBar();
    EXPECT_EQ(frame.toolBarArea(bar), Qt::BottomToolBarArea);
    struct Button {
        int id;
        const char* toolTip;
    };
    const Button expected[] = {
        {command::OpenSite, "Open a Site File"},
        {command::SaveSiteData, "Save Site File"},
        {command::ColorRanges, "RSSI Color Scale"},
        {command::ZoomIn, "Zoom In"},
        {command::ZoomOut, "Zoom Out"},
        {command::Help, "Help"},
        {command::About, "About"},
    };
    const QList<QAction*> actions = bar->actions();
    ASSERT_EQ(actions.size(), 7);
    int previousLeft = -1;
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(actions[i]->data().toInt(), expected[i].id);
        EXPECT_EQ(actions[i]->toolTip(), expected[i].toolTip);
        EXPECT_FALSE(actions[i]->icon().pixmap(16, 16).isNull());
        QWidget* button = bar->widgetForAction(actions[i]);
        ASSERT_NE(button, nullptr);
        EXPECT_GT(button->x(), previousLeft);
        previousLeft = button->x();
    }
    EXPECT_EQ(bar->iconSize(), QSize(16, 16));

    // The panes sit directly above the command bar, at the bottom edge.
    StatusPanes* panes = frame.statusPanes();
    const QRect panesInFrame(panes->mapTo(&frame, QPoint(0, 0)), panes->size());
    EXPECT_EQ(panesInFrame.bottom() + 1, bar->geometry().top());
    EXPECT_EQ(bar->geometry().bottom() + 1, frame.height());
    const char* initial[] = {"L: 0", "P: 0", "X: 0", "Y: 0"};
    for (int i = 0; i < StatusPanes::PaneCount; ++i) {
        EXPECT_EQ(program.pane(i), initial[i]);
        EXPECT_EQ(panes->findChildren<QLabel*>().at(i)->width(), 50);
    }
}

// The ids come from the registry of names: the same name, the same id.
TEST(FrameTest, StatusRefreshReadsSignedLowWords) {
    EXPECT_EQ(registerMessage("MARL_DRAW"), MarlDraw);
    EXPECT_EQ(registerMessage("MARL_STATUS_UPDATE"), MarlStatusUpdate);
    EXPECT_NE(MarlDraw, MarlStatusUpdate);
    EXPECT_GE(MarlDraw, QEvent::User);
    struct Case {
        std::uintptr_t wParam;
        std::intptr_t lParam;
        const char* x;
        const char* y;
    };
    const Case cases[] = {
        {113, 118, "X: 113", "Y: 118"},
        {65535, 65535, "X: -1", "Y: -1"},
        {0x10005, -2, "X: 5", "Y: -2"},
        {32768, 32767, "X: -32768", "Y: 32767"},
    };
    TestProgram program;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        QCoreApplication::postEvent(&program.frame(),
                                    new MessageEvent(MarlStatusUpdate, c.wParam, c.lParam));
        QCoreApplication::sendPostedEvents(&program.frame());
        EXPECT_EQ(program.pane(0), "L: 0");
        EXPECT_EQ(program.pane(1), "P: 0");
        EXPECT_EQ(program.pane(2), c.x);
        EXPECT_EQ(program.pane(3), c.y);
    }
}

TEST(FrameTest, CtrlQClosesAndCtrlSWritesNothing) {
    TempDir dir;
    TestProgram program;
    const std::string site = makeBandSite(dir, "site.tws", 40, 30);
    ASSERT_TRUE(program.view().openSiteFile(site));
    const Bytes before = readBytes(site);
    program.frame().activateWindow();
    QApplication::setActiveWindow(&program.frame());
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == &program.frame(); }));

    QTest::keyClick(&program.view(), Qt::Key_S, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(readBytes(site), before);
    EXPECT_TRUE(program.frame().isVisible());

    QTest::keyClick(&program.view(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(waitFor([&] { return !program.frame().isVisible(); }));
    EXPECT_EQ(readBytes(site), before);
}

} // namespace
} // namespace marlow::test
