// The survey session's rules without a window: Open reads a file whole
// before anything changes and abandons a scan begun on the previous site,
// the keep-points outcomes, taking a point, committing only a finished
// scan, selecting and removing a point, and the saves' need of a site.
#include "session/SurveySession.h"

#include "SiteFixtures.h"
#include "link/serial/SysfsRegistry.h"
#include "protocol/Protocol.h"
#include "sitefile/SiteWriter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace marlow {
namespace {

using test::apRecord;
using test::describe;

// What the link tells the program, kept.
struct RecordedLinkEvents final : LinkEvents, LinkMessages {
    void notifyDraw() override {}
    void warnLowBattery() override {}
    void showError(const char* text, const std::string&) override { errors.emplace_back(text); }
    std::vector<std::string> errors;
};

using Mark = std::tuple<std::int32_t, std::int32_t, int>;

class Session : public ::testing::Test {
protected:
    // A site with two access points at (30, 20) and nothing heard at
    // (80, 50), and an empty one.
    void SetUp() override {
        test::makeSite(stored, test::testPlan(120, 90));
        test::makeSite(empty, test::testPlan(60, 40));
        RecordList points;
        for (const SurveyRecord& r : {apRecord(30, 20, 1, -62), apRecord(30, 20, 2, -45),
                                      test::committedPlaceholder(80, 50)})
            test::appendRecord(points, r);
        SiteResult<OpenedSite> opened = openSite(stored);
        ASSERT_TRUE(opened);
        ASSERT_TRUE(saveSiteData(stored, opened->file, points, BlankSignature(), 0));
    }

    // The link runs without a board: commands go nowhere, and the test
    // plays the board's side by handing the link its messages.
    void startLink() {
        session.startLink(events, events, SysfsRegistry("/nonexistent"),
                          {"/nonexistent/port", std::chrono::milliseconds(0)}, {});
        ASSERT_EQ(events.errors, std::vector<std::string>{"Cannot Open Connection To Board."});
    }
    void boardFinishesScan() { session.link()->handleMessage(msg::ScanComplete, nullptr, 0); }
    void heard(std::uint8_t macTail, int rssi) {
        scanList.withLock([&](RecordList& list) {
            RecordNode* node = nullptr;
            ASSERT_EQ(list.newNode(node, apRecord(0, 0, macTail, static_cast<std::int16_t>(rssi))),
                      RecordList::Ok);
            list.insertOrdered(node);
        });
    }
    // Opens a site as the view does, answering the keep-points question.
    std::vector<Mark> open(const std::string& path, bool keep) {
        SiteResult<PendingSite> pending = session.readSite(path);
        EXPECT_TRUE(pending) << path;
        std::vector<Mark> marks;
        if (pending)
            session.adoptSite(
                std::move(pending).value(), keep,
                [&](std::int32_t x, std::int32_t y, int rssi) { marks.emplace_back(x, y, rssi); });
        return marks;
    }

    test::TempDir dir;
    const std::string stored = dir.file("stored.tws");
    const std::string empty = dir.file("empty.tws");
    SharedRecordList scanList;
    RecordList store;
    RecordedLinkEvents events;
    SurveySession session{scanList, store};
};

TEST_F(Session, OpenReadsTheFileWholeBeforeItReplacesTheSite) {
    // A temporary an interrupted save left beside the file goes at the open.
    const std::filesystem::path stale = std::filesystem::path(stored).parent_path() / ".mfw-Ab12Cd";
    std::ofstream(stale) << "half a site";
    // The question is asked always, or only when the file holds points.
    const SiteResult<PendingSite> full = session.readSite(stored);
    EXPECT_FALSE(std::filesystem::exists(stale));
    const SiteResult<PendingSite> none = session.readSite(empty);
    ASSERT_TRUE(full && none);
    EXPECT_EQ(std::tuple(session.asksToKeepPoints(*full, KeepPointsQuestion::WhenPointsStored),
                         session.asksToKeepPoints(*none, KeepPointsQuestion::WhenPointsStored),
                         session.asksToKeepPoints(*none, KeepPointsQuestion::Always)),
              std::tuple(true, false, true));
    EXPECT_FALSE(session.hasSite()); // reading replaced nothing

    // No drops the stored points and whatever the store held; Yes loads them
    // with their marks, the best RSSI of each point or no signal at all.
    test::appendRecord(store, apRecord(1, 1, 9, -50));
    EXPECT_TRUE(open(stored, false).empty());
    EXPECT_TRUE(store.empty());
    EXPECT_EQ(session.sitePath(), stored);
    EXPECT_EQ(open(stored, true), (std::vector<Mark>{{30, 20, -45}, {80, 50, NoSignalRssi}}));
    EXPECT_EQ(store.size(), 3u);

    // A failed read keeps the open site, its file and its points.
    const SiteState* site = session.site();
    test::writeBytes(dir.file("notes.tws"), test::Bytes(400, 'x'));
    const SiteResult<PendingSite> notASite = session.readSite(dir.file("notes.tws"));
    ASSERT_FALSE(notASite);
    EXPECT_EQ(notASite.error().message, "Not a Site File.");
    EXPECT_EQ(std::tuple(session.site(), session.sitePath(), store.size()),
              std::tuple(site, stored, std::size_t{3}));
}

// Runs the check in a child process whose address space is capped at
// 256 MB; its exit status, 0 when the check held.
int underMemoryLimit(const std::function<int()>& check) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr rlim_t Limit = rlim_t{256} << 20;
        const rlimit limit{Limit, Limit};
        ::_exit(::setrlimit(RLIMIT_AS, &limit) == 0 ? check() : 99);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

// A sanitizer reserves more address space than the cap allows.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif

// A sparse file with a survey data section of this many zero bytes, each
// 42 of which read as a stored point where nothing was heard, claims far
// more than its few blocks on disk hold. One too large to load whole, and
// one that needs more memory than there is, are refused, and the open site
// stays as it was.
TEST_F(Session, AFileThatCannotLoadWholeIsRefusedAndTheOpenSiteKept) {
    if (Sanitized)
        GTEST_SKIP() << "the address space cannot be capped under a sanitizer";
    open(stored, true);
    ASSERT_EQ(store.size(), 3u);
    const std::uint64_t data = std::filesystem::file_size(empty);
    const std::pair<std::uint64_t, SiteErrorKind> cases[] = {
        {600'000'000, SiteErrorKind::TooLarge},    // some 15 million records
        {170'000'000, SiteErrorKind::OutOfMemory}, // some 4 million
    };
    for (const auto& [bytes, kind] : cases) {
        const std::string huge = dir.file("huge.tws");
        std::filesystem::copy_file(empty, huge, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::resize_file(huge, data + bytes);
        const int status = underMemoryLimit([&, kind = kind] {
            const SiteResult<PendingSite> read = session.readSite(huge);
            if (read)
                return 1;
            if (read.error().kind != kind)
                return 2;
            if (session.sitePath() != stored || store.size() != 3)
                return 3;
            return 0;
        });
        EXPECT_EQ(status, 0) << bytes << " bytes; 1: opened, 2: refused for another reason, 3: "
                             << "the open site changed, above 100: killed by a signal";
    }
}

TEST_F(Session, APointNeedsASiteAndItsPlaceIsNotedBeforeTheBoardIsAsked) {
    startLink();
    std::vector<std::pair<std::int32_t, std::int32_t>> told;
    bool requestedWhenTold = true;
    session.setPointListener([&](std::int32_t x, std::int32_t y) {
        told.emplace_back(x, y);
        requestedWhenTold = session.link()->scanRequested;
    });
    EXPECT_FALSE(session.takePoint(5, 6));
    EXPECT_FALSE(session.link()->scanRequested);
    EXPECT_TRUE(told.empty());

    open(stored, false);
    heard(1, -70); // left over from an earlier scan
    ASSERT_TRUE(session.takePoint(40, 50));
    EXPECT_EQ(told, (std::vector<std::pair<std::int32_t, std::int32_t>>{{40, 50}}));
    EXPECT_FALSE(requestedWhenTold);
    EXPECT_TRUE(session.link()->scanRequested);
    EXPECT_TRUE(scanList.withLock([](const RecordList& list) { return list.empty(); }));
    EXPECT_EQ(std::tuple(session.site()->newX, session.site()->newY), std::tuple(40, 50));
}

TEST_F(Session, OnlyAFinishedScanIsCommittedAndOnlyOnce) {
    startLink();
    open(stored, false);
    EXPECT_FALSE(session.commitFinishedScan()); // nothing requested
    ASSERT_TRUE(session.takePoint(40, 50));
    heard(1, -70);
    heard(2, -52);
    EXPECT_FALSE(session.commitFinishedScan()); // requested, still scanning
    boardFinishesScan();
    const std::optional<CommittedPoint> point = session.commitFinishedScan();
    ASSERT_TRUE(point);
    EXPECT_EQ(std::tuple(point->heard, point->bestRssi, store.size()), std::tuple(true, -52, 2u));
    EXPECT_FALSE(session.commitFinishedScan());

    // Nothing heard: the warning, and the mark of the floor.
    ASSERT_TRUE(session.takePoint(7, 8));
    boardFinishesScan();
    const std::optional<CommittedPoint> silent = session.commitFinishedScan();
    ASSERT_TRUE(silent);
    EXPECT_EQ(std::tuple(silent->heard, silent->bestRssi), std::tuple(false, -90));
}

TEST_F(Session, AScanBegunOnThePreviousSiteIsNeverCommittedIntoTheNext) {
    startLink();
    open(stored, false);
    ASSERT_TRUE(session.takePoint(40, 50));
    heard(1, -60);
    boardFinishesScan();
    // Read while the scan's notification waits, answered after it.
    SiteResult<PendingSite> next = session.readSite(empty);
    ASSERT_TRUE(next);
    EXPECT_FALSE(session.commitFinishedScan());
    session.adoptSite(std::move(next).value(), false, {});
    EXPECT_FALSE(session.commitFinishedScan());
    EXPECT_TRUE(store.empty());
    EXPECT_EQ(session.site()->locationCount, 0);
}

TEST_F(Session, SelectingAndRemovingAPointNeedASite) {
    EXPECT_FALSE(session.selectNearestPoint(30, 20));
    session.removeSelectedPoint(); // nothing to remove from
    open(stored, true);
    ASSERT_TRUE(session.selectNearestPoint(32, 24));
    session.removeSelectedPoint();
    EXPECT_EQ(describe(store), std::vector<std::string>{"FILL 80,50 000000000000 0 -100 "});
}

TEST_F(Session, SavesNeedASiteAndWriteTheStoreIntoItsFile) {
    for (const SiteResult<>& refused :
         {session.saveSiteData(BlankSignature(), 0), session.fullRewrite()}) {
        ASSERT_FALSE(refused);
        EXPECT_EQ(std::tuple(refused.error().message, refused.error().detail),
                  std::tuple("Could not update site", "No site file is open."));
    }

    open(stored, false);
    test::appendRecord(store, apRecord(10, 12, 1, -48));
    ASSERT_TRUE(session.saveSiteData(BlankSignature(), 1'800'000'000));
    RecordList saved;
    loadPoints(*openSite(stored), saved, {});
    EXPECT_EQ(describe(saved), std::vector<std::string>{"TEST 10,12 001100000001 6 -48 lab"});
    EXPECT_EQ(decodeHeader(session.siteFile().header).saveTime, 1'800'000'000u);

    // The full rewrite takes its floor plan from the temporary folder.
    const test::TempDir temporary;
    const char* oldTmp = std::getenv("TMPDIR");
    const std::string restore = oldTmp ? oldTmp : "";
    ::setenv("TMPDIR", temporary.path().c_str(), 1);
    const test::Bytes before = test::readBytes(stored);
    const SiteResult<> withoutPlan = session.fullRewrite();
    ASSERT_FALSE(withoutPlan);
    EXPECT_NE(withoutPlan.error().detail.find(temporary.file("tmpsite.bmp")), std::string::npos);
    EXPECT_EQ(test::readBytes(stored), before);
    oldTmp ? ::setenv("TMPDIR", restore.c_str(), 1) : ::unsetenv("TMPDIR");
}

} // namespace
} // namespace marlow
