// Opening and saving sites: the keep-points question, the stored points
// loaded and painted, the failure boxes with the open site kept whole, Save
// Site Data through the sign-off dialog, and the full rewrite.
#include "AppHarness.h"
#include "sitefile/SiteFormat.h"

#include <QDateTime>
#include <QScrollBar>
#include <cerrno>
#include <cstring>

namespace marlow::test {
namespace {

constexpr const char* NewPoint = "TEST 10,12 001100000001 6 -48 lab";
constexpr const char* NewEmptyPoint = "FILL 50,30 000000000000 0 -100 ";

struct SiteFiles : ::testing::Test {
    TempDir dir;
    TestProgram program;
    CMarlowView& view = program.view;
    // Two access points at (30, 20), best -45, and nothing heard at (80, 50).
    const std::string stored = bandSite(
        dir, "stored.tws", 120, 90,
        {apRecord(30, 20, 1, -62), apRecord(30, 20, 2, -45), committedPlaceholder(80, 50)});

    static std::vector<std::string> pointsIn(const std::string& path) {
        const SiteResult<OpenedSite> opened = openSite(path);
        if (!opened) {
            ADD_FAILURE() << opened.error().message;
            return {};
        }
        RecordList store;
        loadPoints(*opened, store, {});
        return describe(store);
    }
};

TEST_F(SiteFiles, NoDropsTheStoredPointsYesLoadsAndPaintsThemAFailureKeepsThem) {
    appendRecord(SurveyStore, apRecord(1, 1, 9, -50)); // of an earlier site
    program.boxes.answer = BoxAnswer::No;
    ASSERT_TRUE(view.openSiteFile(stored));
    program.boxes.answer = BoxAnswer::Yes;
    ASSERT_EQ(program.boxes.shown.size(), 1u);
    const MessageBoxRequest& question = program.boxes.shown.front();
    EXPECT_EQ(question.text, "Do you wish to keep existing data points?");
    EXPECT_EQ(question.caption, "Tessel");
    EXPECT_EQ(question.buttons, BoxButtons::YesNo);
    EXPECT_TRUE(SurveyStore.empty());
    EXPECT_EQ(colorAt(view.picture()->display(), 30, 20), 0xFFFFFFu);

    ASSERT_TRUE(view.openSiteFile(stored));
    EXPECT_EQ(SurveyStore.size(), 3u);
    EXPECT_EQ(view.session().site()->locationCount, 0);
    EXPECT_EQ(view.currentScreen(), ScreenMode::MapScreen);
    EXPECT_EQ(colorAt(view.picture()->display(), 30, 20), 0xFF8000u); // orange: -45
    EXPECT_EQ(colorAt(view.picture()->display(), 80, 50), 0u);        // black: nothing heard
    EXPECT_EQ(view.mapViewport().centerX(), 60);
    EXPECT_EQ(view.verticalScrollBar()->value(), 45);
    EXPECT_EQ(std::pair(view.horizontalScrollBar()->maximum(), view.verticalScrollBar()->maximum()),
              std::pair(120, 90));

    // A failed Open shows its box and keeps the open site's picture.
    const SitePicture* picture = view.picture();
    const QImage pictureBefore = picture->display();
    const std::string notASite = dir.file("notes.tws");
    writeBytes(notASite, Bytes(400, 'x'));
    const std::array<std::string, 3> cases[] = {
        {dir.file("missing.tws"), std::strerror(ENOENT), "File Open Error"},
        {notASite, "Not a Site File.", "File Error"}};
    for (const auto& [path, text, caption] : cases) {
        program.boxes.shown.clear();
        EXPECT_FALSE(view.openSiteFile(path));
        ASSERT_EQ(program.boxes.shown.size(), 1u);
        EXPECT_EQ(program.boxes.shown[0].text, text);
        EXPECT_EQ(program.boxes.shown[0].caption, caption);
        EXPECT_EQ(program.boxes.shown[0].icon, BoxIcon::Error);
        EXPECT_EQ(view.picture(), picture);
        EXPECT_EQ(view.picture()->display(), pictureBefore);
    }

    // Half way between the two points, shown at twice their size: the
    // earlier one is selected and deleted.
    program.setClientSize(240, 180);
    const ModalWatch watch(clickButton("DELETE THIS POINT"));
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, QPoint(110, 70));
    EXPECT_EQ(describe(SurveyStore), std::vector<std::string>{"FILL 80,50 000000000000 0 -100 "});
}

TEST_F(SiteFiles, SaveSiteDataAndTheFullRewriteReplaceTheStoredPoints) {
    program.boxes.answer = BoxAnswer::No;
    ASSERT_TRUE(view.openSiteFile(stored));
    appendRecord(SurveyStore, apRecord(10, 12, 1, -48));
    appendRecord(SurveyStore, committedPlaceholder(50, 30));
    program.boxes.shown.clear();
    const auto now = static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch());
    const ModalWatch signOff(clickButton("SAVE SITE SURVEY"));
    program.button(1);
    EXPECT_TRUE(signOff.acted);
    EXPECT_TRUE(program.boxes.shown.empty());
    EXPECT_EQ(pointsIn(stored), (std::vector<std::string>{NewPoint, NewEmptyPoint}));
    HeaderBytes header{};
    std::copy_n(readBytes(stored).begin(), header.size(), header.begin());
    const SiteHeaderFields fields = decodeHeader(header);
    EXPECT_EQ(fields.statusByte, 0);
    EXPECT_GE(fields.saveTime, now);
    EXPECT_LE(fields.saveTime, now + 60);

    // The full rewrite without tmpsite.bmp: the failure box, the file untouched.
    TempDir temporary;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString(temporary.path()));
    const Bytes before = readBytes(stored);
    program.frame.dispatchCommand(command::FullRewrite);
    EXPECT_EQ(program.boxes.texts(), std::vector<std::string>{"Could not update site"});
    EXPECT_EQ(readBytes(stored), before);
    // With the file's own floor plan: the same plan, the store's points.
    const auto bitmapAt =
        before.begin() + decodeHeader(view.session().siteFile().header).bitmapOffset;
    writeBytes(temporary.file("tmpsite.bmp"),
               Bytes(bitmapAt, bitmapAt + view.session().siteFile().bitmapSize));
    program.boxes.shown.clear();
    program.frame.dispatchCommand(command::FullRewrite);
    EXPECT_TRUE(program.boxes.shown.empty());
    EXPECT_EQ(openSite(stored)->bitmap.pixels, bandPlan(120, 90).pixels);
    // Every record is an access-point record of its point in this format.
    EXPECT_EQ(pointsIn(stored),
              (std::vector<std::string>{NewPoint, "FILL 50,30 000000000000 0 0 FILL"}));
    oldTmp.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", oldTmp);
}

} // namespace
} // namespace marlow::test
