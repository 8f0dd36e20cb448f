// The main frame as a whole window: the command bar's icons and the status
// panes grow with the window, the icons are drawn at the screen's device
// pixels (this file's CommandBar tests run a second time with
// QT_SCALE_FACTOR=2), nothing overlaps or folds at the smallest size, and
// the window opens where it was left.
#include "AppHarness.h"
#include "shell/FrameScale.h"

#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QToolButton>
#include <cmath>

namespace marlow::test {
namespace {

// The frame's widgets that must lie apart, in the frame's coordinates.
std::vector<std::pair<std::string, QRect>> frameParts(const CMainFrame& frame) {
    const auto inFrame = [&](const QWidget* widget) {
        return QRect(widget->mapTo(&frame, QPoint(0, 0)), widget->size());
    };
    std::vector<std::pair<std::string, QRect>> parts = {{"view", inFrame(frame.view())},
                                                        {"bar", inFrame(frame.commandBar())}};
    for (int i = 0; i < StatusPanes::PaneCount; ++i)
        parts.emplace_back("pane " + std::to_string(i), inFrame(frame.statusPanes()->pane(i)));
    return parts;
}

// Every part inside the window and apart from the others, every button of
// the bar shown in it (none folded away), and the widest text each pane can
// hold fitting it.
void expectNothingOverlapsOrFolds(TestProgram& program) {
    const CMainFrame& frame = program.frame;
    const auto parts = frameParts(frame);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_TRUE(frame.rect().contains(parts[i].second)) << parts[i].first;
        for (std::size_t j = i + 1; j < parts.size(); ++j)
            EXPECT_FALSE(parts[i].second.intersects(parts[j].second))
                << parts[i].first << " and " << parts[j].first;
    }
    const QToolBar& bar = *frame.commandBar();
    for (QAction* action : bar.actions()) {
        const QWidget* button = bar.widgetForAction(action);
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(button->isVisible()) << action->text().toStdString();
        EXPECT_TRUE(bar.rect().contains(button->geometry())) << action->text().toStdString();
    }
    const QStringList widest = {"L: 9999", "P: 9999", "X: -32768", "Y: -32768"};
    for (int i = 0; i < StatusPanes::PaneCount; ++i) {
        frame.statusPanes()->setPaneText(i, widest[i]);
        const QLabel& pane = *frame.statusPanes()->pane(i);
        EXPECT_LE(pane.sizeHint().width(), pane.width()) << widest[i].toStdString();
    }
}

// The frame at this size with its layouts settled: the bar's new icon size
// lays the bar out again, then the window.
void resizeFrame(TestProgram& program, QSize size) {
    program.frame.resize(size);
    for (int pass = 0; pass < 3; ++pass)
        QApplication::processEvents();
}

// The window's scale is the smaller of its width over 240 and its height
// over 320, from 1 to 3; the icons follow it in steps of 8 pixels, the
// panes' font exactly, and the panes take at least their share of the
// handheld's row, 50 pixels each, scaled.
TEST(Frame, CommandBarIconsAndPanesGrowWithTheWindow) {
    TestProgram program;
    EXPECT_EQ(program.frame.size(), QSize(240, 320)); // the handheld's, before any placement
    const int handheldFont = program.frame.statusPanes()->font().pixelSize();
    const std::tuple<QSize, int, double> cases[] = {
        {{240, 320}, 16, 1.0},    {{480, 640}, 32, 2.0},
        {{800, 900}, 40, 2.8125}, {{1600, 400}, 16, 1.25}, // wide and short
        {{1000, 1400}, 48, 3.0},  {{600, 2000}, 40, 2.5},
    };
    for (const auto& [window, icon, scale] : cases) {
        resizeFrame(program, window);
        ASSERT_EQ(program.frame.size(), window);
        EXPECT_EQ(program.frame.commandBar()->iconSize(), QSize(icon, icon)) << window.width();
        EXPECT_GE(program.frame.statusPanes()->pane(0)->width(), std::lround(50 * scale))
            << window.width();
        EXPECT_EQ(program.frame.statusPanes()->font().pixelSize(),
                  static_cast<int>(std::floor(handheldFont * scale)))
            << window.width();
        expectNothingOverlapsOrFolds(program);
    }
}

TEST(Frame, NothingOverlapsOrFoldsAtTheSmallestSize) {
    TestProgram program;
    resizeFrame(program, {150, 150});
    EXPECT_EQ(program.frame.size(), QSize(240, 200));
    expectNothingOverlapsOrFolds(program);
    EXPECT_EQ(program.frame.commandBar()->iconSize(), QSize(16, 16));
}

// The pixels of the grabbed button that differ from its background, its
// corner: their bounding box.
QRect drawnPart(const QImage& image) {
    const QRgb background = image.pixel(0, 0);
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (std::abs(qRed(p) - qRed(background)) + std::abs(qGreen(p) - qGreen(background)) +
                    std::abs(qBlue(p) - qBlue(background)) >
                48)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

// Run at the offscreen screen's own ratio and, as a second test entry, with
// QT_SCALE_FACTOR=2: every icon comes at the bar's icon size in device
// pixels, and the help button's disc, which fills its square, is painted
// that large.
TEST(CommandBar, IconsAreDrawnAtTheScreensDevicePixels) {
    TestProgram program;
    const qreal ratio = program.frame.devicePixelRatio();
    if (const QByteArray factor = qgetenv("QT_SCALE_FACTOR"); !factor.isEmpty()) {
        ASSERT_EQ(ratio, factor.toDouble());
    }
    for (const QSize window : {QSize(240, 320), QSize(720, 960)}) {
        resizeFrame(program, window);
        const QToolBar& bar = *program.frame.commandBar();
        const QSize iconSize = bar.iconSize();
        const QSize devicePixels = iconSize * ratio;
        for (QAction* action : bar.actions()) {
            const QPixmap pixmap = action->icon().pixmap(iconSize, ratio);
            EXPECT_EQ(std::pair(pixmap.size(), pixmap.devicePixelRatio()),
                      std::pair(devicePixels, ratio))
                << action->text().toStdString() << " at " << window.width();
        }
        const QImage button = bar.widgetForAction(bar.actions()[5])->grab().toImage();
        const QRect disc = drawnPart(button);
        EXPECT_GE(disc.width(), devicePixels.width() - 2) << window.width();
        EXPECT_LE(disc.width(), devicePixels.width()) << window.width();
    }
}

// The window opens at the handheld's shape, two thirds of the screen's
// height, in the middle of the screen; once closed, it opens again where
// it was left, from the settings of the tests' own configuration folder.
TEST(Placement, FirstAtTheHandheldsShapeOnTheScreenThenWhereItWasLeft) {
    const std::string folder = qEnvironmentVariable("XDG_CONFIG_HOME").toStdString();
    ASSERT_EQ(QSettings().fileName().toStdString().rfind(folder + "/", 0), 0u);
    QSettings().clear();

    QRect left;
    {
        TestProgram program;
        program.frame.restorePlacement();
        const QRect available = program.frame.screen()->availableGeometry();
        const QSize size = program.frame.size();
        EXPECT_EQ(size.height(), available.height() * 2 / 3);
        EXPECT_EQ(size.width(), size.height() * 3 / 4);
        // Centred as nearly as the window's frame, unknown before it is
        // shown, allows.
        EXPECT_LE((program.frame.frameGeometry().center() - available.center()).manhattanLength(),
                  4);

        program.frame.setGeometry(30, 40, 500, 420);
        left = program.frame.geometry();
        EXPECT_TRUE(program.frame.close());
    }
    TestProgram program;
    EXPECT_EQ(program.frame.size(), QSize(240, 320));
    program.frame.restorePlacement();
    EXPECT_EQ(program.frame.geometry(), left);
}

} // namespace
} // namespace marlow::test
