// The session's journal: every commit and removal is synced before the
// session returns, a restore replays them into exactly the store, marks
// and counters the live session had, saving clears the journal and a
// failed save keeps it, and a stale journal is set aside.
#include "SiteFixtures.h"
#include "link/serial/SysfsRegistry.h"
#include "protocol/Protocol.h"
#include "session/SurveySession.h"
#include "sitefile/SiteWriter.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <tuple>

namespace marlow {
namespace {

using Mark = std::tuple<std::int32_t, std::int32_t, int>;

struct QuietLink final : LinkEvents, LinkMessages {
    void notifyDraw() override {}
    void warnLowBattery() override {}
    void showError(const char*, const std::string&) override {}
};

// One program's session: its own lists and link, journalling into folder.
struct Program {
    explicit Program(const std::string& folder) {
        session.setJournalFolder(folder, [this](int) {
            ++syncs;
            return 0;
        });
        session.startLink(link, link, SysfsRegistry("/nonexistent"),
                          {"/nonexistent/port", std::chrono::milliseconds(0)}, {});
    }
    // Opens as the view does: restoring when asked to and there is work.
    void open(const std::string& path, bool keep, bool restore = false) {
        SiteResult<PendingSite> pending = session.readSite(path);
        ASSERT_TRUE(pending);
        unsavedOffered = pending->unsaved.has_value();
        const MarkSink draw = [this](std::int32_t x, std::int32_t y, int rssi) {
            marks.emplace_back(x, y, rssi);
        };
        if (restore)
            restored = session.restoreSite(
                std::move(pending).value(), draw,
                [this](std::int32_t x, std::int32_t y) { erased.emplace_back(x, y); });
        else
            session.adoptSite(std::move(pending).value(), keep, draw);
    }
    // Takes a point hearing these access points (by MAC tail and RSSI).
    void point(std::int32_t x, std::int32_t y, const std::vector<std::pair<int, int>>& aps) {
        ASSERT_TRUE(session.takePoint(x, y));
        scanList.withLock([&](RecordList& list) {
            for (const auto& [mac, rssi] : aps)
                test::appendRecord(list, test::apRecord(0, 0, static_cast<std::uint8_t>(mac),
                                                        static_cast<std::int16_t>(rssi)));
        });
        session.link()->handleMessage(msg::ScanComplete, nullptr, 0);
        const int before = syncs;
        const std::optional<CommittedPoint> committed = session.commitFinishedScan();
        ASSERT_TRUE(committed);
        marks.emplace_back(x, y, committed->bestRssi);
        EXPECT_GT(syncs, before); // on disk before the view shows it
    }
    void remove(std::int32_t x, std::int32_t y) {
        ASSERT_TRUE(session.selectNearestPoint(x, y));
        const int before = syncs;
        session.removeSelectedPoint();
        EXPECT_GT(syncs, before);
        // The view removes the mark of the point removed, where it stands.
        erased.emplace_back(static_cast<std::int32_t>(session.site()->selX),
                            static_cast<std::int32_t>(session.site()->selY));
    }
    std::tuple<std::int32_t, std::int32_t> counters() const {
        return {session.site()->locationCount, session.site()->apRecordCount};
    }

    QuietLink link;
    SharedRecordList scanList;
    RecordList store;
    SurveySession session{scanList, store};
    int syncs = 0;
    std::vector<Mark> marks;
    std::vector<std::pair<std::int32_t, std::int32_t>> erased;
    bool unsavedOffered = false;
    RestoredWork restored;
};

class SessionJournal : public ::testing::Test {
protected:
    // A site holding two points: (30, 20) heard two access points, nothing
    // was heard at (80, 50).
    void SetUp() override {
        test::makeSite(site, test::testPlan(120, 90));
        RecordList points;
        for (const SurveyRecord& r :
             {test::apRecord(30, 20, 1, -62), test::apRecord(30, 20, 2, -45),
              test::committedPlaceholder(80, 50)})
            test::appendRecord(points, r);
        SiteResult<OpenedSite> opened = openSite(site);
        ASSERT_TRUE(opened);
        ASSERT_TRUE(saveSiteData(site, opened->file, points, BlankSignature(), 0));
    }
    // A surveyor's session: points heard and not, one removed (a stored
    // point when kept), then the program dies without saving.
    void survey(Program& live, bool keep) {
        live.open(site, keep);
        live.point(40, 60, {{3, -70}, {4, -52}, {5, -80}});
        live.point(100, 10, {});
        live.remove(keep ? 31 : 41, keep ? 21 : 61);
        live.point(41, 61, {{3, -66}});
    }
    std::vector<std::string> journalFiles() const {
        std::vector<std::string> names;
        if (std::filesystem::exists(folder))
            for (const auto& entry : std::filesystem::directory_iterator(folder))
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    test::TempDir dir;
    const std::string site = dir.file("site.tws");
    const std::string folder = dir.file("state");
};

TEST_F(SessionJournal, ARestoreReplaysExactlyWhatTheLiveSessionHad) {
    for (const bool keep : {true, false}) {
        SCOPED_TRACE(keep ? "points kept" : "points dropped");
        Program live(folder);
        survey(live, keep);

        Program next(folder);
        // The keep answer given now does not matter: the journal's is used.
        next.open(site, !keep, true);
        EXPECT_TRUE(next.unsavedOffered);
        EXPECT_TRUE(test::sameRecords(next.store, live.store))
            << testing::PrintToString(test::describe(next.store));
        EXPECT_EQ(next.counters(), live.counters());
        EXPECT_EQ(next.marks, live.marks);
        EXPECT_EQ(next.erased, live.erased);
        EXPECT_EQ(std::tuple(next.restored.points, next.restored.deletions, next.restored.damaged),
                  std::tuple(std::size_t{3}, std::size_t{1}, false));

        // The restored session journals on: a later restore has it all.
        next.point(7, 7, {{9, -40}});
        Program third(folder);
        third.open(site, false, true);
        EXPECT_TRUE(test::sameRecords(third.store, next.store));
        EXPECT_EQ(third.counters(), next.counters());
        ASSERT_TRUE(third.session.saveSiteData(BlankSignature(), 0));
        SetUp(); // the next round starts from the two stored points again
    }
}

TEST_F(SessionJournal, ASaveClearsTheJournalAndAFailedOneKeepsIt) {
    Program live(folder);
    live.open(site, true);
    EXPECT_TRUE(journalFiles().empty()); // opening alone journals nothing
    live.point(40, 60, {{3, -70}});
    ASSERT_EQ(journalFiles().size(), 1u);

    const std::string moved = dir.file("moved.tws");
    std::filesystem::rename(site, moved);
    std::filesystem::create_directory(site); // where the file was, a folder
    EXPECT_FALSE(live.session.saveSiteData(BlankSignature(), 0));
    EXPECT_EQ(journalFiles().size(), 1u);
    std::filesystem::remove(site);
    std::filesystem::rename(moved, site);

    ASSERT_TRUE(live.session.saveSiteData(BlankSignature(), 0));
    EXPECT_TRUE(journalFiles().empty());
    Program after(folder);
    after.open(site, true);
    EXPECT_FALSE(after.unsavedOffered);

    // Work after the save builds on the saved points.
    live.point(50, 70, {{6, -60}});
    live.remove(51, 71);
    Program restored(folder);
    restored.open(site, false, true);
    EXPECT_TRUE(restored.unsavedOffered);
    EXPECT_TRUE(test::sameRecords(restored.store, live.store));
}

// Work the surveyor discarded is set aside, not offered again.
TEST_F(SessionJournal, DiscardedWorkIsSetAsideAndNotOffered) {
    Program live(folder);
    live.open(site, true);
    live.point(40, 60, {{3, -70}});
    live.session.discardUnsavedWork();
    EXPECT_FALSE(live.session.hasUnsavedWork());
    ASSERT_EQ(journalFiles().size(), 1u);
    EXPECT_NE(journalFiles()[0].find(".journal.set-aside-"), std::string::npos);
    Program after(folder);
    after.open(site, true);
    EXPECT_FALSE(after.unsavedOffered);
}

// A journal of the file as it was before someone else changed it is set
// aside, not offered and not lost.
TEST_F(SessionJournal, AStaleJournalIsSetAsideAndNotOffered) {
    Program before(folder);
    before.open(site, true);
    before.point(40, 60, {{3, -70}});
    const std::vector<std::string> journal = journalFiles();
    ASSERT_EQ(journal.size(), 1u);
    test::writeBytes(site, [&] {
        test::Bytes bytes = test::readBytes(site);
        bytes.push_back(0);
        return bytes;
    }());
    Program later(folder);
    later.open(site, true);
    EXPECT_FALSE(later.unsavedOffered);
    ASSERT_EQ(journalFiles().size(), 1u);
    EXPECT_EQ(journalFiles()[0].rfind(journal[0] + ".set-aside-", 0), 0u);
}

// A journal the disk refuses leaves the points in memory, and the
// surveyor is told once when the trouble starts, again only after it
// worked in between.
TEST_F(SessionJournal, AFailingJournalIsToldOnceWhenTheTroubleStarts) {
    Program live(folder);
    bool diskFull = true;
    live.session.setJournalFolder(folder, [&](int) {
        ++live.syncs;
        errno = ENOSPC;
        return diskFull ? -1 : 0;
    });
    live.open(site, true);
    std::vector<bool> told;
    for (const bool full : {true, true, false, true}) {
        diskFull = full;
        live.point(40, 60, {{3, -70}});
        const std::optional<std::string> warning = live.session.takeJournalWarning();
        told.push_back(warning.has_value());
        if (warning) {
            EXPECT_NE(warning->find(std::strerror(ENOSPC)), std::string::npos) << *warning;
        }
    }
    EXPECT_EQ(told, (std::vector<bool>{true, false, false, true}));
    EXPECT_EQ(live.store.size(), 7U); // the stored three and four points
}

TEST_F(SessionJournal, ADamagedJournalGivesBackItsCompleteEntries) {
    Program live(folder);
    live.open(site, false);
    live.point(40, 60, {{3, -70}});
    live.point(50, 70, {{4, -60}});
    const std::filesystem::path journal = std::filesystem::path(folder) / journalFiles()[0];
    std::filesystem::resize_file(journal, std::filesystem::file_size(journal) - 5);

    Program next(folder);
    next.open(site, false, true);
    EXPECT_EQ(std::tuple(next.restored.points, next.restored.damaged), std::tuple(1u, true));
    EXPECT_EQ(test::describe(next.store),
              (std::vector<std::string>{"TEST 40,60 001100000003 6 -70 lab"}));
    next.point(60, 80, {{5, -50}});
    Program third(folder);
    third.open(site, false, true);
    EXPECT_EQ(std::tuple(third.restored.points, third.restored.damaged), std::tuple(2u, false));
}

} // namespace
} // namespace marlow
