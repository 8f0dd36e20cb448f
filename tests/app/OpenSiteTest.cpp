// Open a Site: the file dialog, the keep-points question, the stored points
// loaded and painted, the failure boxes, and the open site kept whole when
// an Open is cancelled or fails.
#include "AppHarness.h"
#include "BoardLine.h"
#include "SiteFixtures.h"
#include "store/Lists.h"
#include "view/RssiScale.h"
#include "view/widget/CommandIds.h"

#include <QApplication>
#include <QFileDialog>
#include <QScrollBar>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace marlow::test {
namespace {

QRgb brushOf(int rssi) {
    const RgbColor c = rssiBand(rssi).brush;
    return qRgb(c.red, c.green, c.blue) & 0xFFFFFFu;
}

// One point of two access points at (30, 20), best -45, and one point where
// nothing was heard at (80, 50).
std::vector<SurveyRecord> storedPoints() {
    return {apRecord(30, 20, 1, -62), apRecord(30, 20, 2, -45), committedPlaceholder(80, 50)};
}

struct OpenSite : ::testing::Test {
    TempDir dir;
    TestProgram program;
    CMarlowView& view = program.view();

    const SitePicture* openWithPoints() {
        const std::string site = makeSiteWithPoints(dir, "a.tws", 120, 90, storedPoints());
        program.boxes.answers = {BoxAnswer::Yes};
        EXPECT_TRUE(view.openSiteFile(site));
        program.boxes.shown.clear();
        return view.picture();
    }
};

TEST_F(OpenSite, KeepingThePointsLoadsAndPaintsThem) {
    const SitePicture* picture = openWithPoints();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(SurveyStore.size(), 3u);
    EXPECT_EQ(view.site()->locationCount, 0);
    EXPECT_EQ(view.site()->apRecordCount, 0);
    EXPECT_EQ(view.currentScreen(), ScreenMode::MapScreen);
    EXPECT_EQ(picture->display().pixel(30, 20) & 0xFFFFFFu, brushOf(-45));
    EXPECT_EQ(picture->display().pixel(80, 50) & 0xFFFFFFu, brushOf(-120));
    EXPECT_EQ(view.mapViewport().centerX(), 60);
    EXPECT_EQ(view.mapViewport().centerY(), 45);
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 120);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), 90);
    EXPECT_EQ(view.horizontalScrollBar()->value(), 60);
    EXPECT_EQ(view.verticalScrollBar()->value(), 45);
}

TEST_F(OpenSite, AnsweringNoLeavesTheStoreEmpty) {
    const std::string site = makeSiteWithPoints(dir, "a.tws", 120, 90, storedPoints());
    appendRecord(SurveyStore, apRecord(1, 1, 9, -50)); // from an earlier site
    program.boxes.answers = {BoxAnswer::No};
    ASSERT_TRUE(view.openSiteFile(site));
    ASSERT_EQ(program.boxes.shown.size(), 1u);
    const MessageBoxRequest& question = program.boxes.shown.front();
    EXPECT_EQ(question.text, "Do you wish to keep existing data points?");
    EXPECT_EQ(question.caption, "Tessel");
    EXPECT_EQ(question.buttons, BoxButtons::YesNo);
    EXPECT_TRUE(SurveyStore.empty());
    EXPECT_EQ(view.picture()->display().pixel(30, 20) & 0xFFFFFFu, 0xFFFFFFu);
    EXPECT_EQ(view.openSitePath(), site);
}

TEST_F(OpenSite, FailuresShowTheirBoxAndKeepTheOpenSiteWhole) {
    const SitePicture* picture = openWithPoints();
    const SiteState* site = view.site();
    const std::string path = view.openSitePath();
    const QImage pictureBefore = picture->display();

    const std::string notASite = dir.file("notes.tws");
    writeBytes(notASite, Bytes(400, 'x'));
    Bytes bytes = readBytes(path);
    const std::string damaged = dir.file("cut.tws");
    writeBytes(damaged, Bytes(bytes.begin(), bytes.begin() + 600));
    bytes[8] = 1; // format version 1
    bytes[9] = 0;
    const std::string obsolete = dir.file("old.tws");
    writeBytes(obsolete, bytes);

    struct Case {
        std::string path;
        std::string message;
        const char* caption;
    };
    const Case cases[] = {
        {dir.file("missing.tws"), std::strerror(ENOENT), "File Open Error"},
        {dir.path(), std::strerror(EISDIR), "File Open Error"},
        {notASite, "Not a Site File.", "File Error"},
        {obsolete, "Obsolete Site File, recreate using Planwright", "File Error"},
        {damaged, "The site file is damaged: the floor plan is cut short.", "File Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        program.boxes.shown.clear();
        EXPECT_FALSE(view.openSiteFile(c.path));
        ASSERT_EQ(program.boxes.shown.size(), 1u);
        const MessageBoxRequest& box = program.boxes.shown.front();
        EXPECT_EQ(box.text, c.message);
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.icon, BoxIcon::Error);
        EXPECT_EQ(box.buttons, BoxButtons::Ok);

        EXPECT_EQ(view.openSitePath(), path);
        EXPECT_EQ(view.site(), site);
        EXPECT_EQ(view.picture(), picture);
        EXPECT_EQ(view.picture()->display(), pictureBefore);
        EXPECT_EQ(SurveyStore.size(), 3u);
        EXPECT_EQ(view.mapViewport().centerX(), 60);
    }
}

TEST_F(OpenSite, AScanOfThePreviousSiteIsNotCommittedIntoTheNewOne) {
    BoardLine board(boardHearing(10, 10, -50, 1));
    program.start(board.device());
    board.answerHandshake();
    ASSERT_TRUE(view.openSiteFile(makeBandSite(dir, "a.tws", 100, 100)));
    QTest::keyClick(&view, Qt::Key_Return);
    board.awaitRequest(sim::CommandType);

    program.boxes.answers = {BoxAnswer::No};
    ASSERT_TRUE(view.openSiteFile(makeBandSite(dir, "b.tws", 80, 80)));
    board.sendAnswers();
    ASSERT_TRUE(waitFor([&] { return view.link()->scanDone.load(); }));
    QApplication::processEvents();
    EXPECT_TRUE(SurveyStore.empty());
    EXPECT_EQ(view.site()->locationCount, 0);
    EXPECT_EQ(view.currentScreen(), ScreenMode::MapScreen);
}

} // namespace
} // namespace marlow::test
