// Opening a site with work from an unsaved session: the restore question
// after the keep-points question, Yes paints and stores the work, a damaged
// journal's note, and No setting the journal aside.
#include "AppHarness.h"
#include "journal/Journal.h"

#include <QDateTime>

namespace marlow::test {
namespace {

constexpr std::int64_t LastTime = 1'700'000'000;

// A journal of a session that dropped the stored points and took one point
// at (30, 20), best -45; when cut, a second point follows, cut short.
std::filesystem::path leaveJournal(const std::string& site, bool cut) {
    const Result<SiteIdentity> identity = identifySite(site);
    EXPECT_TRUE(identity);
    const std::filesystem::path path =
        journalPathFor(defaultJournalFolder(), identity->canonicalPath);
    JournalFile journal;
    EXPECT_TRUE(journal.create(path, {*identity, false}));
    EXPECT_TRUE(journal.append(
        JournalPoint{LastTime, true, {apRecord(30, 20, 1, -62), apRecord(30, 20, 2, -45)}}));
    if (cut) {
        EXPECT_TRUE(journal.append(JournalPoint{LastTime + 60, true, {apRecord(9, 9, 3, -50)}}));
        std::filesystem::resize_file(path, std::filesystem::file_size(path) - 1);
    }
    return path;
}

std::string restoreQuestion() {
    const std::string time = QDateTime::fromSecsSinceEpoch(LastTime)
                                 .toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                                 .toStdString();
    return box("1 survey points from an unsaved session (last at " + time +
                   ") were found. Restore them?",
               AppTitle, BoxIcon::None);
}

const std::string KeepQuestion =
    box("Do you wish to keep existing data points?", "Tessel", BoxIcon::None);

TEST(JournalFlow, YesRestoresTheUnsavedWorkOverTheKeepAnswerAndNotesDamage) {
    TempDir dir;
    TestProgram program;
    const std::string site = bandSite(dir, 120, 90, {committedPlaceholder(80, 50)});
    leaveJournal(site, true);
    // Keep the stored points, then restore: the journal's session dropped them.
    ASSERT_TRUE(program.view.openSiteFile(site));
    ASSERT_EQ(program.boxes.texts().size(), 3u);
    EXPECT_EQ(program.boxes.texts()[0], KeepQuestion);
    EXPECT_EQ(program.boxes.texts()[1], restoreQuestion());
    EXPECT_EQ(program.boxes.shown[1].buttons, BoxButtons::YesNo);
    EXPECT_EQ(program.boxes.shown[2].icon, BoxIcon::Information); // the damage noted
    EXPECT_EQ(describe(SurveyStore),
              (std::vector<std::string>{"TEST 30,20 001100000001 6 -62 lab",
                                        "TEST 30,20 001100000002 6 -45 lab"}));
    EXPECT_EQ(program.view.session().site()->locationCount, 1);
    // The panes count the restored point where it was taken.
    QApplication::processEvents();
    EXPECT_EQ(program.panes(), (QStringList{"L: 1", "P: 2", "X: 30", "Y: 20"}));
    // Orange for -45; the dropped point's mark is not painted.
    const QImage painted = pictureOf(program.view);
    EXPECT_EQ(std::pair(colorAt(painted, 30, 20), colorAt(painted, 80, 50)),
              std::pair(0xFF8000u, 0xFFFFFFu));
}

TEST(JournalFlow, NoSetsTheJournalAsideAndOpensAsAnswered) {
    TempDir dir;
    TestProgram program;
    const std::string site = bandSite(dir, 120, 90, {committedPlaceholder(80, 50)});
    const std::filesystem::path journal = leaveJournal(site, false);
    program.boxes.onShow = [&](const MessageBoxRequest& request) {
        program.boxes.answer =
            request.text.starts_with("Do you wish") ? BoxAnswer::Yes : BoxAnswer::No;
    };
    ASSERT_TRUE(program.view.openSiteFile(site));
    EXPECT_EQ(program.boxes.texts(), (std::vector{KeepQuestion, restoreQuestion()}));
    EXPECT_EQ(SurveyStore.size(), 1u); // the stored point, kept
    EXPECT_FALSE(std::filesystem::exists(journal));
    const std::string setAside = journal.filename().string() + ".set-aside-";
    int kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(journal.parent_path()))
        kept += entry.path().filename().string().starts_with(setAside) ? 1 : 0;
    EXPECT_EQ(kept, 1);

    // Asked once: opened again, the site has no unsaved work.
    program.boxes.shown.clear();
    ASSERT_TRUE(program.view.openSiteFile(site));
    EXPECT_EQ(program.boxes.texts(), std::vector{KeepQuestion});
}

} // namespace
} // namespace marlow::test
