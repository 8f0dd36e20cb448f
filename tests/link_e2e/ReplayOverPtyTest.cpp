// Recorded Wi-Fi sweeps end to end: a sweep written to a recording and read
// back, played through the board library's Wi-Fi radio on a pseudo-terminal
// into the real link, whose scan list holds each BSS with its own SSID,
// channel and RSSI; and the boardsim tool serving a recording, or refusing
// a bad one.
#include "ChildProcess.h"
#include "Frames.h"
#include "Handheld.h"
#include "ReplaySource.h"
#include "SweepJson.h"
#include "TempDir.h"
#include "board/BoardServer.h"
#include "wifi/WifiRadio.h"

#include <fstream>
#include <gtest/gtest.h>

namespace marlow::e2e {
namespace {

using test::Bytes;

// A sweep of an office, recorded: real beacons put the country element
// early, 5 GHz ones carry no DS parameter set, a hidden network has no SSID,
// and a 6 GHz BSS is not for the board.
std::string recording(const test::TempDir& dir) {
    const InfoElement country = {7, {'D', 'E', ' ', 0x01, 0x0D, 0x14}};
    const InfoElement rates = {1, {0x82, 0x84, 0x8B, 0x96}};
    const auto bss = [](std::uint8_t last, std::uint32_t mhz, std::int32_t signalMbm,
                        const std::vector<InfoElement>& elements) {
        return wifi::ScannedBss{{0x02, 0xAA, 0, 0, 0, last}, mhz, signalMbm,
                                encodeElements(elements),    40,  false};
    };
    sweeplog::RecordedSweep recorded;
    recorded.sweep.heard = {
        bss(6, 2437, -4550, {country, {0, {'o', 'f', 'f', 'i', 'c', 'e'}}, rates, {3, {6}}}),
        bss(36, 5180, -6749, {{0, {'l', 'a', 'b', '-', '5'}}, country, rates}),
        bss(1, 2412, -7050, {rates, {3, {1}}}),
        bss(99, 5955, -3000, {{0, {'s', 'i', 'x'}}}),
    };
    const std::string path = dir.file("office.jsonl");
    std::ofstream(path) << sweeplog::sweepJsonLine(recorded);
    return path;
}

TEST(ReplayOverPty, ARecordedSweepFillsTheScanListWithEachBssOnItsOwnChannel) {
    const test::TempDir dir;
    const auto recorded = sweeplog::loadSweeps(recording(dir));
    ASSERT_TRUE(recorded) << recorded.error().message;
    sweeplog::ReplaySource replay({recorded->at(0).sweep});
    board::ServerConfig line;
    line.pacing = false;
    board::BoardServer board({}, std::make_unique<wifi::WifiRadio>(replay, wifi::Bands{true, true}),
                             line);
    const Result<void> started = board.startOnPseudoTerminal();
    ASSERT_TRUE(started) << started.error().message;

    test::Handheld handheld;
    ASSERT_TRUE(handheld.connect(board.devicePath()));
    EXPECT_EQ(handheld.scan(),
              (std::vector<test::Handheld::Record>{{"02AA00000001", "", 1, 1, -71},
                                                   {"02AA00000006", "office", 6, 1, -46},
                                                   {"02AA00000024", "lab-5", 36, 1, -67}}));
    EXPECT_EQ(handheld.session.link().scanChannel.load(), 177) << "not the last 5 GHz channel";
    EXPECT_TRUE(handheld.errors.empty());
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
