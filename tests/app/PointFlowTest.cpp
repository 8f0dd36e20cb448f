// Taking a point end to end: the tap, the start-scan command on the wire,
// the survey screen while the simulated board scans, the commit into the
// store, the mark in the map, the status panes; a point where nothing was
// heard; and inspecting and deleting a point through the point dialog.
#include "AppHarness.h"
#include "BoardLine.h"
#include "store/Lists.h"
#include "view/RssiScale.h"

#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace marlow::test {
namespace {

constexpr int ClientWidth = 240;
constexpr int ClientHeight = 268;
// A site the size of the client area is shown one to one: picture pixel
// (x, y) is window pixel (x, y).
constexpr QPoint Centre(ClientWidth / 2, ClientHeight / 2);

constexpr QRgb White = 0xFFFFFF;
constexpr QRgb DarkGreen = 0x008000;
constexpr QRgb Black = 0x000000;

QRgb bandColor(int rssi) {
    const RgbColor c = rssiBand(rssi).brush;
    return qRgb(c.red, c.green, c.blue) & 0xFFFFFFu;
}

// Window pixels within `radius` of the centre where the cross-hair leaves
// the map unchanged; the cross-hair is combined with AND at the centre.
std::vector<QPoint> mapPixelsNearCentre(int minRadius, int maxRadius) {
    const QImage crosshair = ViewArt::load().crosshair;
    std::vector<QPoint> points;
    for (int dy = -maxRadius; dy <= maxRadius; ++dy) {
        for (int dx = -maxRadius; dx <= maxRadius; ++dx) {
            const int r2 = dx * dx + dy * dy;
            if (r2 < minRadius * minRadius || r2 > maxRadius * maxRadius)
                continue;
            const QPoint inCrosshair(dx + 16, dy + 16);
            if (crosshair.rect().contains(inCrosshair) &&
                (crosshair.pixel(inCrosshair) & 0xFFFFFFu) != White)
                continue;
            points.push_back(Centre + QPoint(dx, dy));
        }
    }
    return points;
}

int countColor(const QImage& image, const std::vector<QPoint>& points, QRgb color) {
    int count = 0;
    for (const QPoint& p : points)
        count += colorAt(image, p.x(), p.y()) == color ? 1 : 0;
    return count;
}

// The window pixel inside channel c's grid cell and below its text.
QPoint channelCellPoint(int channel) {
    const int column = (channel - 1) % 7;
    const int row = channel / 8;
    return {72 + 25 * column, 21 + 25 * row};
}

struct PointFlow : ::testing::Test {
    TempDir dir;
    TestProgram program;

    void openAndStart(BoardLine& board) {
        program.view().setPointListener(
            [&board](std::int32_t x, std::int32_t y) { board.setSurveyPosition(x, y); });
        program.start(board.device());
        program.setClientSize(ClientWidth, ClientHeight);
        board.answerHandshake();
        ASSERT_TRUE(
            program.view().openSiteFile(makeBandSite(dir, "site.tws", ClientWidth, ClientHeight)));
        program.boxes.shown.clear();
    }
};

TEST_F(PointFlow, TapScanCommitMarkAndPanes) {
    constexpr int Rssi = -55;
    BoardLine board(boardHearing(Centre.x(), Centre.y(), Rssi, 6));
    openAndStart(board);
    CMarlowView& view = program.view();

    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, Centre);
    EXPECT_EQ(view.mapViewport().centerX(), Centre.x());
    EXPECT_EQ(view.mapViewport().centerY(), Centre.y());
    const sim::Frame startScan = board.awaitRequest(sim::CommandType);
    EXPECT_EQ(startScan.payload, (sim::Bytes{sim::StartScanCode}));
    EXPECT_EQ(view.currentScreen(), ScreenMode::SurveyScreen);
    EXPECT_EQ(program.sounds.played, (std::vector<PlayedSound>{{"ping", false}}));
    EXPECT_EQ(view.site()->newX, Centre.x());
    EXPECT_EQ(view.site()->newY, Centre.y());

    // Up to channel 6's report: the survey screen shows channel 6 scanned.
    while (board.pendingAnswers() > 0 && board.nextAnswer().type != 15)
        board.sendAnswers(1);
    ASSERT_TRUE(waitFor([&] { return view.link()->scanChannel == 6; }));
    QApplication::processEvents();
    const QImage survey = program.render();
    EXPECT_EQ(colorAt(survey, channelCellPoint(6).x(), channelCellPoint(6).y()), DarkGreen);
    for (const int other : {1, 5, 7, 8, 14}) {
        SCOPED_TRACE(other);
        EXPECT_EQ(colorAt(survey, channelCellPoint(other).x(), channelCellPoint(other).y()), Black);
    }
    EXPECT_TRUE(SurveyStore.empty());

    board.sendAnswers();
    ASSERT_TRUE(waitFor([&] { return view.currentScreen() == ScreenMode::MapScreen; }));
    ASSERT_EQ(SurveyStore.size(), 1u);
    const SurveyRecord& stored = *SurveyStore.begin();
    EXPECT_EQ(stored.x, Centre.x());
    EXPECT_EQ(stored.y, Centre.y());
    EXPECT_EQ(stored.rssi, Rssi);
    EXPECT_EQ(stored.channel, 6);
    EXPECT_STREQ(stored.macText, "001122334455");
    EXPECT_STREQ(stored.pointName, "TEST");
    EXPECT_EQ(view.site()->locationCount, 1);
    EXPECT_EQ(view.site()->apRecordCount, 1);

    ASSERT_TRUE(waitFor([&] { return program.pane(0) == "L: 1"; }));
    EXPECT_EQ(program.pane(1), "P: 1");
    EXPECT_EQ(program.pane(2), "X: 120");
    EXPECT_EQ(program.pane(3), "Y: 134");
    EXPECT_EQ(program.boxTexts(), std::vector<std::string>{});

    // The disc, in the colour of -55, covers the point and ends within its
    // radius of 10.
    const QImage map = program.render();
    const std::vector<QPoint> inside = mapPixelsNearCentre(0, 8);
    const std::vector<QPoint> outside = mapPixelsNearCentre(12, 20);
    ASSERT_FALSE(inside.empty());
    EXPECT_EQ(countColor(map, inside, bandColor(Rssi)), static_cast<int>(inside.size()));
    EXPECT_EQ(countColor(map, outside, White), static_cast<int>(outside.size()));
}

TEST_F(PointFlow, NothingHeardStoresAPlaceholderAndWarns) {
    sim::BoardConfig silent = boardHearing(0, 0, -50, 1);
    silent.silent = true;
    BoardLine board(std::move(silent));
    openAndStart(board);
    CMarlowView& view = program.view();
    // The alarm has sounded and the mark is not yet painted when the box
    // comes up.
    program.boxes.onShow = [&](const MessageBoxRequest&) {
        EXPECT_EQ(program.sounds.played.back(), (PlayedSound{"REDALERT", true}));
        EXPECT_EQ(colorAt(program.render(), Centre.x() + 3, Centre.y()), White);
    };

    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(board.awaitRequest(sim::CommandType).payload, (sim::Bytes{sim::StartScanCode}));
    board.sendAnswers();
    ASSERT_TRUE(waitFor([&] { return view.currentScreen() == ScreenMode::MapScreen; }));

    ASSERT_EQ(program.boxes.shown.size(), 1u);
    const MessageBoxRequest& warning = program.boxes.shown.front();
    EXPECT_EQ(warning.text, "No Access Points Detected!");
    EXPECT_EQ(warning.caption, "COVERAGE WARNING");
    EXPECT_EQ(warning.icon, BoxIcon::Exclamation);
    EXPECT_EQ(warning.buttons, BoxButtons::Ok);
    EXPECT_EQ(program.sounds.played,
              (std::vector<PlayedSound>{{"ping", false}, {"REDALERT", true}}));

    ASSERT_EQ(SurveyStore.size(), 1u);
    EXPECT_STREQ(SurveyStore.begin()->ssid, "FILL");
    EXPECT_EQ(SurveyStore.begin()->channel, 0);
    ASSERT_TRUE(waitFor([&] { return program.pane(0) == "L: 1"; }));
    EXPECT_EQ(program.pane(1), "P: 0");
    // Coloured as -90: band 6, black.
    const std::vector<QPoint> inside = mapPixelsNearCentre(0, 7);
    EXPECT_EQ(countColor(program.render(), inside, Black), static_cast<int>(inside.size()));
}

TEST_F(PointFlow, HoldOrRightClickOpensThePointDialogAndDeleteKeepsTheCounters) {
    BoardLine board(boardHearing(Centre.x(), Centre.y(), -65, 1));
    openAndStart(board);
    CMarlowView& view = program.view();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, Centre);
    board.awaitRequest(sim::CommandType);
    board.sendAnswers();
    ASSERT_TRUE(waitFor([&] { return program.pane(0) == "L: 1"; }));
    const std::vector<QPoint> inside = mapPixelsNearCentre(0, 7);
    ASSERT_EQ(countColor(program.render(), inside, bandColor(-65)),
              static_cast<int>(inside.size()));

    // Far from the point: no dialog.
    {
        const auto watch = clickInNextModal(QStringLiteral("DELETE THIS POINT"));
        QTest::mouseClick(view.viewport(), Qt::RightButton, {}, QPoint(5, 5));
        EXPECT_FALSE(watch->acted());
    }
    // Held still near the point: the dialog, closed without deleting.
    {
        const ModalWatch watch([](QWidget* dialog) { dialog->close(); });
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, Centre + QPoint(20, 0));
        ASSERT_TRUE(waitFor([&] { return watch.acted(); }));
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, Centre + QPoint(20, 0));
        EXPECT_EQ(SurveyStore.size(), 1u);
        EXPECT_EQ(view.currentScreen(), ScreenMode::MapScreen); // no point was taken
    }
    // A right-click near the point, then DELETE THIS POINT.
    {
        const auto watch = clickInNextModal(QStringLiteral("DELETE THIS POINT"));
        QTest::mouseClick(view.viewport(), Qt::RightButton, {}, Centre + QPoint(0, 30));
        EXPECT_TRUE(watch->acted());
    }
    EXPECT_TRUE(SurveyStore.empty());
    EXPECT_EQ(view.site()->locationCount, 1);
    EXPECT_EQ(view.site()->apRecordCount, 1);
    EXPECT_EQ(program.pane(0), "L: 1");
    EXPECT_EQ(program.pane(1), "P: 1");
    // The mark is whitened around the spot that was held (15 pixels round).
    const QImage map = program.render();
    EXPECT_EQ(colorAt(map, Centre.x(), Centre.y() + 30), White);
    EXPECT_EQ(colorAt(map, Centre.x(), Centre.y() + 18), White);
    EXPECT_EQ(program.sounds.played.size(), 1u);
}

TEST_F(PointFlow, RadarTurnsOneStepPerSurveyPaint) {
    BoardLine board(boardHearing(Centre.x(), Centre.y(), -50, 3));
    openAndStart(board);
    CMarlowView& view = program.view();
    QTest::keyClick(&view, Qt::Key_Space);
    ASSERT_EQ(view.currentScreen(), ScreenMode::SurveyScreen);

    const ViewArt art = ViewArt::load();
    const QRect radarArea(0, 0, 50, 50);
    // Each radar picture as the survey screen stretches it.
    std::vector<QImage> references;
    for (const QImage& radar : art.radar) {
        QImage reference(radarArea.size(), QImage::Format_RGB32);
        QPainter painter(&reference);
        painter.drawImage(radarArea, radar);
        references.push_back(reference);
    }
    ASSERT_NE(references[0], references[1]);
    ASSERT_NE(references[1], references[2]);
    ASSERT_NE(references[2], references[3]);
    // The picture (139 to 142) whose stretched copy is nearest the shown one.
    const auto radarShown = [&](const QImage& screen) {
        const QImage shown = screen.copy(radarArea);
        int nearest = 0;
        long long nearestDistance = -1;
        for (int picture = 0; picture < 4; ++picture) {
            long long distance = 0;
            for (int y = 0; y < radarArea.height(); ++y) {
                for (int x = 0; x < radarArea.width(); ++x) {
                    const QRgb a = shown.pixel(x, y);
                    const QRgb b = references[static_cast<std::size_t>(picture)].pixel(x, y);
                    distance += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                                std::abs(qBlue(a) - qBlue(b));
                }
            }
            if (nearestDistance < 0 || distance < nearestDistance) {
                nearestDistance = distance;
                nearest = picture;
            }
        }
        return 139 + nearest;
    };
    std::vector<int> shown;
    for (int paint = 0; paint < 9; ++paint)
        shown.push_back(radarShown(program.render()));
    EXPECT_EQ(shown, (std::vector<int>{140, 141, 142, 139, 140, 141, 142, 139, 140}));
}

} // namespace
} // namespace marlow::test
