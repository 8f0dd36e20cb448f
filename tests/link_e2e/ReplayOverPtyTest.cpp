// Recorded Wi-Fi sweeps end to end: a sweep written to a recording and read
// back, played through the board library's Wi-Fi radio on a pseudo-terminal
// into the real link, whose scan list holds each BSS with its own SSID,
// channel and RSSI; and the boardsim tool serving a recording, or refusing
// a bad one.
#include "ChildProcess.h"
#include "Frames.h"
#include "ReplaySource.h"
#include "SweepJson.h"
#include "TempDir.h"
#include "board/BoardServer.h"
#include "link/serial/LinkSession.h"
#include "link/serial/SysfsRegistry.h"
#include "protocol/Protocol.h"
#include "wifi/WifiRadio.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>

namespace marlow::e2e {
namespace {

using test::Bytes;

const InfoElement Country = {7, {'D', 'E', ' ', 0x01, 0x0D, 0x14}};
const InfoElement Rates = {1, {0x82, 0x84, 0x8B, 0x96}};

wifi::ScannedBss bss(std::uint8_t last, std::uint32_t mhz, std::int32_t signalMbm,
                     const std::vector<InfoElement>& elements) {
    return {{0x02, 0xAA, 0, 0, 0, last}, mhz, signalMbm, encodeElements(elements), 40, false};
}

// A sweep of an office, recorded: real beacons put the country element
// early, 5 GHz ones carry no DS parameter set, a hidden network has no SSID,
// and a 6 GHz BSS is not for the board.
std::string recording(const test::TempDir& dir) {
    sweeplog::RecordedSweep recorded;
    recorded.sweep.heard = {
        bss(6, 2437, -4550, {Country, {0, {'o', 'f', 'f', 'i', 'c', 'e'}}, Rates, {3, {6}}}),
        bss(36, 5180, -6749, {{0, {'l', 'a', 'b', '-', '5'}}, Country, Rates}),
        bss(1, 2412, -7050, {Rates, {3, {1}}}),
        bss(99, 5955, -3000, {{0, {'s', 'i', 'x'}}}),
    };
    const std::string path = dir.file("office.jsonl");
    std::ofstream(path) << sweeplog::sweepJsonLine(recorded);
    return path;
}

// MAC, SSID, channel, samples and RSSI sum of each record, by MAC.
using ScanRecord = std::tuple<std::string, std::string, int, int, int>;
const std::vector<ScanRecord> OfficeSweep = {
    {"02AA00000001", "", 1, 1, -71},
    {"02AA00000006", "office", 6, 1, -46},
    {"02AA00000024", "lab-5", 36, 1, -67},
};

struct ReplayOverPty : ::testing::Test, LinkEvents, LinkMessages {
    void notifyDraw() override {}
    void warnLowBattery() override {}
    void showError(const char* text) override { errors.emplace_back(text); }
    void TearDown() override { session.stop(); }

    bool boardHasRead(const Bytes& bytes) {
        std::lock_guard lock(mutex);
        return std::search(received.begin(), received.end(), bytes.begin(), bytes.end()) !=
               received.end();
    }

    test::TempDir dir;
    std::mutex mutex;
    Bytes received;
    std::vector<std::string> errors;
    MonotonicSecondsClock clock;
    SharedRecordList scanList;
    LinkSession session{*this, scanList, *this, clock};
    std::optional<sweeplog::ReplaySource> replay;
    std::unique_ptr<board::BoardServer> board;
};

TEST_F(ReplayOverPty, ARecordedSweepFillsTheScanListWithEachBssOnItsOwnChannel) {
    auto recorded = sweeplog::loadSweeps(recording(dir));
    ASSERT_TRUE(recorded) << recorded.error().message;
    replay.emplace(std::vector<wifi::Sweep>{recorded->at(0).sweep});
    board::ServerConfig line;
    line.pacing = false;
    line.onReceived = [this](std::span<const std::uint8_t> bytes) {
        std::lock_guard lock(mutex);
        received.insert(received.end(), bytes.begin(), bytes.end());
    };
    board = std::make_unique<board::BoardServer>(
        board::BoardConfig{}, std::make_unique<wifi::WifiRadio>(*replay, wifi::Bands{true, true}),
        std::move(line));
    const Result<void> started = board->startOnPseudoTerminal();
    ASSERT_TRUE(started) << started.error().message;
    session.start(SysfsRegistry(), {board->devicePath(), std::chrono::milliseconds(0)}, {});
    ASSERT_TRUE(session.portOpen());
    ASSERT_TRUE(waitUntil([&] {
        return boardHasRead(test::frameBytes(msg::Mode, std::array{msg::ModeAfterHandshake}));
    }));
    AnalyzerLink& link = session.link();
    ASSERT_EQ(link.sendCommand(msg::StartScan), 1);
    ASSERT_TRUE(waitUntil([&] { return link.scanDone.load(); }));
    EXPECT_EQ(link.scanChannel.load(), 177) << "the sweep ends on the last 5 GHz channel";

    std::vector<ScanRecord> records;
    scanList.withLock([&](const RecordList& list) {
        for (const SurveyRecord& r : list)
            records.emplace_back(std::string(textOf(r.macText)), std::string(textOf(r.ssid)),
                                 r.channel, r.sampleCount, r.rssi);
    });
    std::sort(records.begin(), records.end());
    EXPECT_EQ(records, OfficeSweep);
    EXPECT_TRUE(errors.empty());
}

TEST(BoardsimReplay, ServesARecordingAndRefusesABadOne) {
    test::TempDir dir;
    std::ofstream(dir.file("bad.jsonl")) << "\n{\"time\": 3}\n";
    const auto bad = ChildProcess(BOARDSIM_BINARY, {"--replay", dir.file("bad.jsonl")}).finish();
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err,
              "boardsim: " + dir.file("bad.jsonl") + ": line 2: time: expected a string, got 3\n");

    ChildProcess boardsim(BOARDSIM_BINARY, {"--replay", recording(dir), "--no-pacing"});
    const std::string device = boardsim.readLine();
    ASSERT_TRUE(device.starts_with("/dev/pts/")) << device;
    const int handheld = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(handheld, 0);
    const Bytes scan = test::frameBytes(msg::Command, Bytes{msg::StartScan});
    ASSERT_EQ(::write(handheld, scan.data(), scan.size()), 6);
    // The reports arrive in channel order: 1, 6, then 36.
    std::string got;
    EXPECT_TRUE(readUntil(handheld, got, [&] { return got.find("lab-5") != std::string::npos; }));
    EXPECT_LT(got.find("office"), got.find("lab-5"));
    ::close(handheld);
}

} // namespace
} // namespace marlow::e2e
