// Opening and saving sites in the program: the keep-points question and its
// answers, the stored points painted, a failed Open's box with the open
// site kept whole, a point deleted at another scale, Save Site Data
// through the sign-off dialog, the question before unsaved points are let
// go, and a file cut short.
#include "AppHarness.h"
#include "sitefile/ByteOrder.h"
#include "sitefile/SiteFormat.h"

#include <QDateTime>

namespace marlow::test {
namespace {

TEST(SiteFiles, OpenAsksToKeepThePointsPaintsThemAndSaveSiteDataWritesTheStore) {
    TempDir dir;
    TestProgram program;
    CMarlowView& view = program.view;
    // Two access points at (30, 20), best -45, and nothing heard at (80, 50).
    const std::string stored = bandSite(
        dir, 120, 90,
        {apRecord(30, 20, 1, -62), apRecord(30, 20, 2, -45), committedPlaceholder(80, 50)});
    program.boxes.answer = BoxAnswer::No;
    ASSERT_TRUE(view.openSiteFile(stored));
    EXPECT_TRUE(SurveyStore.empty());
    program.boxes.answer = BoxAnswer::Yes;
    ASSERT_TRUE(view.openSiteFile(stored));
    const std::string question =
        box("Do you wish to keep existing data points?", "Tessel", BoxIcon::None);
    EXPECT_EQ(program.boxes.texts(), std::vector(2, question));
    EXPECT_EQ(program.boxes.shown[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(std::pair(SurveyStore.size(), view.currentScreen()),
              std::pair(std::size_t{3}, ScreenMode::MapScreen));
    // Orange for -45, black where nothing was heard.
    const QImage painted = pictureOf(view);
    EXPECT_EQ(std::pair(colorAt(painted, 30, 20), colorAt(painted, 80, 50)),
              std::pair(0xFF8000u, 0u));

    // A failed Open shows its box and keeps the open site's picture.
    const SitePicture* picture = view.picture();
    const QImage pictureBefore = pictureOf(view);
    writeBytes(dir.file("notes.tws"), Bytes(400, 'x'));
    program.boxes.shown.clear();
    EXPECT_FALSE(view.openSiteFile(dir.file("notes.tws")));
    EXPECT_EQ(program.boxes.texts(),
              std::vector{box("Not a Site File.", "File Error", BoxIcon::Error)});
    EXPECT_EQ(std::pair(view.picture(), pictureOf(view)), std::pair(picture, pictureBefore));

    // Shown at twice its size the site maps (110, 90) to (55, 45), nearer
    // the point at (80, 50), which is deleted.
    program.setClientSize(240, 180);
    {
        const ModalWatch watch(clickButton("DELETE THIS POINT"));
        QTest::mouseClick(view.viewport(), Qt::RightButton, {}, QPoint(110, 90));
    }
    EXPECT_EQ(describe(SurveyStore),
              (std::vector<std::string>{"TEST 30,20 001100000001 6 -62 lab",
                                        "TEST 30,20 001100000002 6 -45 lab"}));

    // Save Site Data runs the sign-off, then writes the store stamped now.
    program.boxes.shown.clear();
    const auto now = static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch());
    const ModalWatch signOff(clickButton("SAVE SITE SURVEY"));
    program.button(1);
    EXPECT_TRUE(signOff.acted);
    EXPECT_TRUE(program.boxes.shown.empty());
    const SiteResult<OpenedSite> saved = openSite(stored);
    ASSERT_TRUE(saved);
    RecordList points;
    loadPoints(*saved, points, {});
    EXPECT_EQ(describe(points), describe(SurveyStore));
    const std::uint32_t saveTime = decodeHeader(saved->file.header).saveTime;
    EXPECT_TRUE(saveTime >= now && saveTime <= now + 60) << saveTime;
}

// Unsaved points are not let go without asking: closing and Open of another
// site ask to save, discard or cancel; Cancel keeps everything, Save runs
// the sign-off and goes on once saved. Minimising ends the program without
// asking, as it always has.
TEST(SiteFiles, UnsavedPointsAskBeforeTheyAreLetGo) {
    TempDir dir;
    std::string stored;
    const auto deleteAPoint = [&](TestProgram& program) {
        stored = bandSite(dir, 120, 90, {apRecord(30, 20, 1, -62), committedPlaceholder(80, 50)});
        ASSERT_TRUE(program.view.openSiteFile(stored));
        const ModalWatch watch(clickButton("DELETE THIS POINT"));
        QTest::mouseClick(program.view.viewport(), Qt::RightButton, {}, QPoint(80, 50));
        ASSERT_EQ(SurveyStore.size(), 1U);
        program.boxes.shown.clear();
    };
    {
        TestProgram program;
        deleteAPoint(program);
        program.boxes.answer = BoxAnswer::Cancel;
        EXPECT_FALSE(program.frame.close());
        {
            const ModalWatch noFileDialog;
            program.button(0);
            EXPECT_FALSE(noFileDialog.acted);
        }
        ASSERT_EQ(program.boxes.shown.size(), 2U);
        EXPECT_EQ(program.boxes.shown[0].buttons, BoxButtons::SaveDiscardCancel);
        EXPECT_EQ(program.boxes.texts()[1],
                  box("Points taken or deleted since the last save are not in the site file "
                      "yet. Save them now?",
                      "Marlow B", BoxIcon::Exclamation));

        program.boxes.answer = BoxAnswer::Save;
        const ModalWatch signOff(clickButton("SAVE SITE SURVEY"));
        EXPECT_TRUE(program.frame.close());
        EXPECT_TRUE(signOff.acted);
        const SiteResult<OpenedSite> saved = openSite(stored);
        ASSERT_TRUE(saved);
        RecordList points;
        loadPoints(*saved, points, {});
        EXPECT_EQ(points.size(), 1U);
    }
    {
        TestProgram program;
        deleteAPoint(program);
        program.frame.setWindowState(Qt::WindowMinimized);
        EXPECT_TRUE(waitFor([&] { return !program.frame.isVisible(); }));
        EXPECT_TRUE(program.boxes.shown.empty());
    }
}

// A file cut short opens with its complete points, and the surveyor is told
// how many loaded, unless they chose to drop the stored points anyway.
TEST(SiteFiles, AFileCutShortOpensWithItsCompletePointsAndSaysSo) {
    TempDir dir;
    TestProgram program;
    CMarlowView& view = program.view;
    // Points at (30, 20) with two access points, (80, 50) and (90, 60).
    const std::string path = bandSite(dir, 120, 90,
                                      {apRecord(30, 20, 1, -62), apRecord(30, 20, 2, -45),
                                       apRecord(80, 50, 3, -70), apRecord(90, 60, 4, -50)});
    const test::Bytes whole = readBytes(path);
    const std::string question =
        box("Do you wish to keep existing data points?", "Tessel", BoxIcon::None);
    const auto endsEarly = [](int points) {
        return box("The site file ends early: " + std::to_string(points) +
                       " points were loaded; the rest is missing.",
                   AppTitle, BoxIcon::Exclamation);
    };

    // Cut inside the last access-point record: two of three points load.
    writeBytes(path, test::Bytes(whole.begin(), whole.end() - 10));
    ASSERT_TRUE(view.openSiteFile(path));
    EXPECT_EQ(program.boxes.texts(), (std::vector{question, endsEarly(2)}));
    EXPECT_EQ(SurveyStore.size(), 3u);
    program.boxes.answer = BoxAnswer::No;
    program.boxes.shown.clear();
    ASSERT_TRUE(view.openSiteFile(path));
    EXPECT_EQ(program.boxes.texts(), std::vector{question});

    // Cut inside the signature block: no points, and no question where it is
    // asked only of a file that holds some.
    const std::uint32_t signature = readU32(&whole[header::SignatureOffset]);
    writeBytes(path, test::Bytes(whole.begin(), whole.begin() + signature + 500));
    program.boxes.shown.clear();
    ASSERT_TRUE(view.openSiteFile(path, KeepPointsQuestion::WhenPointsStored));
    EXPECT_EQ(program.boxes.texts(), std::vector{endsEarly(0)});
    EXPECT_TRUE(SurveyStore.empty());
}

} // namespace
} // namespace marlow::test
