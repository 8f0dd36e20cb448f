// The survey session on the real link with the simulated board: a second tap
// during a scan, answered by a board that restarts, one that queues and one
// that ignores the command; and a board that falls silent.
#include "Frames.h"
#include "OfficeScan.h"
#include "SiteFixtures.h"
#include "board/PseudoTerminal.h"
#include "board/Simulator.h"
#include "link/serial/SysfsRegistry.h"
#include "protocol/FrameCodec.h"
#include "protocol/Protocol.h"
#include "session/SurveySession.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <unistd.h>

namespace marlow::e2e {
namespace {

using namespace std::chrono_literals;

// One access point on each of channels 1 to 11, heard everywhere: a whole
// sweep hears all eleven, a sweep joined late misses the first channels'.
constexpr int ChannelCount = 11;

board::Scenario everyChannel() {
    board::Scenario scenario;
    scenario.pathLoss.noiseDb = 0;
    for (int channel = 1; channel <= ChannelCount; ++channel)
        scenario.accessPoints.push_back(
            {{0x00, 0x0C, 0x00, 0x00, 0x00, static_cast<std::uint8_t>(channel)},
             "net",
             channel,
             50,
             50,
             0});
    return scenario;
}

struct Events final : LinkEvents, LinkMessages {
    void notifyDraw() override {}
    void warnLowBattery() override {}
    void showError(const char*, const std::string&) override {}
};

struct SecondScan : ::testing::TestWithParam<board::SecondScan> {
    void SetUp() override {
        test::makeSite(site, test::testPlan(100, 100));
        SiteResult<PendingSite> pending = session.readSite(site);
        ASSERT_TRUE(pending);
        session.adoptSite(std::move(pending).value(), false, [](auto...) {});
    }
    void TearDown() override { session.stopLink(); }

    // Waits for the point being measured to be committed, driving the
    // session as the view's timer and MARL_DRAW do; the store's records of
    // the point, by the last byte of their transmitters.
    std::set<int> committedAt(std::int32_t x, std::int32_t y) {
        EXPECT_TRUE(waitUntil([&] {
            session.checkScan();
            return session.commitFinishedScan().has_value();
        }));
        return storedAt(x, y);
    }
    std::set<int> storedAt(std::int32_t x, std::int32_t y) {
        std::set<int> heard;
        std::size_t records = 0;
        for (const SurveyRecord& r : store) {
            if (r.x == x && r.y == y) {
                heard.insert(r.macAddr[5]);
                ++records;
            }
        }
        EXPECT_EQ(records, heard.size()) << "each access point once";
        return heard;
    }

    test::TempDir dir;
    const std::string site = dir.file("site.tws");
    Events events;
    SharedRecordList scanList;
    RecordList store;
    SurveySession session{scanList, store};
};

TEST_P(SecondScan, ASecondTapMidScanIsMeasuredByAWholeSweepAndLaterPointsStayInStep) {
    std::mutex readLock;
    test::Bytes read; // every byte the board has read
    board::ServerConfig line;
    line.onReceived = [&](std::span<const std::uint8_t> bytes) {
        const std::lock_guard lock(readLock);
        read.insert(read.end(), bytes.begin(), bytes.end());
    };
    std::unique_ptr<board::BoardServer> board = board::makeSimulator(
        {.scenario = everyChannel(), .secondScan = GetParam(), .line = std::move(line)});
    ASSERT_TRUE(board->startOnPseudoTerminal());
    session.startLink(events, events, SysfsRegistry(), {board->devicePath(), 0ms}, {});
    ASSERT_TRUE(session.linkRunning());
    AnalyzerLink& link = *session.link();
    // The first tap waits for the handshake's last message to reach the
    // board: sent earlier, its command could take that message's place in
    // the port's one-message outbox, as a surveyor's tap never does.
    const test::Bytes handshakeDone =
        test::frameBytes(msg::Mode, std::array{msg::ModeAfterHandshake});
    ASSERT_TRUE(waitUntil([&] {
        const std::lock_guard lock(readLock);
        return std::search(read.begin(), read.end(), handshakeDone.begin(), handshakeDone.end()) !=
               read.end();
    }));

    std::set<int> all;
    for (int channel = 1; channel <= ChannelCount; ++channel)
        all.insert(channel);
    ASSERT_TRUE(session.takePoint(10, 10));
    ASSERT_TRUE(waitUntil([&] { return link.scanChannel >= 4; }));
    ASSERT_TRUE(session.takePoint(20, 20));
    EXPECT_EQ(committedAt(20, 20), all);
    EXPECT_EQ(storedAt(10, 10), std::set<int>{}) << "the first point is never stored";
    // The next points are measured by their own sweeps, not ended at once.
    for (std::int32_t x : {30, 40}) {
        ASSERT_TRUE(session.takePoint(x, x));
        EXPECT_EQ(committedAt(x, x), all);
    }
    EXPECT_EQ(session.site()->locationCount, 3);
    board->stop();
}

std::string boardName(const ::testing::TestParamInfo<board::SecondScan>& info) {
    switch (info.param) {
    case board::SecondScan::Restart:
        return "Restarts";
    case board::SecondScan::Queue:
        return "Queues";
    case board::SecondScan::Ignore:
        return "Ignores";
    }
    return "Unknown";
}

INSTANTIATE_TEST_SUITE_P(Boards, SecondScan,
                         ::testing::Values(board::SecondScan::Restart, board::SecondScan::Queue,
                                           board::SecondScan::Ignore),
                         boardName);

// A board that never answers: the session says so after ten quiet seconds
// (and at once without a port), hears it again when a message comes, and a
// point given up is not committed by a late end of scan.
TEST_F(SecondScan, ABoardThatFallsSilentIsReportedAndItsPointCanBeGivenUp) {
    using Clock = SurveySession::Clock;
    ASSERT_TRUE(session.takePoint(10, 10));
    EXPECT_EQ(session.checkScan(), ScanProgress::BoardSilent) << "no link at all";

    Result<std::unique_ptr<board::PseudoTerminal>> line = board::PseudoTerminal::open();
    ASSERT_TRUE(line);
    session.startLink(events, events, SysfsRegistry(), {(*line)->slavePath(), 0ms}, {});
    ASSERT_TRUE(session.linkRunning());
    const Clock::time_point tapped = Clock::now();
    ASSERT_TRUE(session.takePoint(10, 10, tapped));
    EXPECT_EQ(session.checkScan(tapped + 9s), ScanProgress::Running);
    EXPECT_EQ(session.checkScan(tapped + 10s), ScanProgress::BoardSilent);
    EXPECT_FALSE(session.boardAbsent(Clock::now()));
    EXPECT_TRUE(session.boardAbsent(Clock::now() + 10s)) << "nothing since the link started";

    auto boardSends = [&](std::uint8_t type) {
        const EncodedFrame frame = encodeFrame(type, {});
        ASSERT_EQ(::write((*line)->master(), frame.bytes.data(), frame.size),
                  static_cast<ssize_t>(frame.size));
    };
    boardSends(msg::ScanChannel);
    ASSERT_TRUE(waitUntil([&] { return session.link()->lastArrival != 0; }));
    const Clock::time_point heard = Clock::now();
    EXPECT_EQ(session.checkScan(heard + 9s), ScanProgress::Running);
    EXPECT_FALSE(session.boardAbsent(heard + 10s));

    session.abandonPoint();
    EXPECT_EQ(session.checkScan(heard + 20s), ScanProgress::Idle);
    boardSends(msg::ScanComplete);
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(session.commitFinishedScan());
    EXPECT_TRUE(store.empty());
}

} // namespace
} // namespace marlow::e2e
