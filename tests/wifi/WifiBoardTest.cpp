// The board that marlow --wifi and wifiboard serve, end to end over a
// replayed kernel: the program's link on its pseudo-terminal reads the
// adapter's driver and interface as the board's texts, and one scan of the
// adapter fills the scan list, each BSS with its own SSID and channel. And
// how the board decides who asks for scans.
#include "wifi/WifiBoard.h"

#include "FakeKernel.h"
#include "FakeNetworkManager.h"
#include "ReplayTransport.h"
#include "TempDir.h"
#include "link/serial/LinkSession.h"
#include "link/serial/SysfsRegistry.h"
#include "protocol/Protocol.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <linux/nl80211.h>
#include <thread>

namespace marlow::wifi {
namespace {

using namespace test;
using marlow::test::FakeNetworkManager;
using marlow::test::PrivateBus;
using marlow::test::TempDir;
using namespace std::chrono_literals;

constexpr std::uint32_t Wlan0 = 3;

struct Link final : LinkEvents, LinkMessages {
    void notifyDraw() override {}
    void warnLowBattery() override {}
    void showError(const char* text) override { errors.emplace_back(text); }

    std::vector<std::string> errors;
    MonotonicSecondsClock clock;
    SharedRecordList scanList;
    LinkSession session{*this, scanList, *this, clock};
};

bool waitUntil(const std::function<bool()>& done) {
    for (const auto giveUp = std::chrono::steady_clock::now() + 10s; !done();) {
        if (std::chrono::steady_clock::now() > giveUp)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

class WifiBoardTest : public ::testing::Test {
protected:
    WifiBoardTest() { addSysfsInterface(sysfs.path(), "wlan0", true, "iwlwifi"); }

    // The board over a kernel that lists wlan0; `mayTrigger` as given.
    Result<std::unique_ptr<WifiBoard>> open(bool mayTrigger, std::string bus = {}) {
        auto transport = std::make_unique<ReplayTransport>();
        kernel = transport.get();
        kernel->answer(datagram({familyAnswer(), ack()}));
        kernel->answer(datagram({interfaceEntry("wlan0", Wlan0, NL80211_IFTYPE_STATION), done()}));
        WifiBoardOptions options;
        options.bands = Bands{true, true};
        options.line.pacing = false;
        options.openTransport = [&transport]() -> Result<std::unique_ptr<NetlinkTransport>> {
            return std::unique_ptr<NetlinkTransport>(std::move(transport));
        };
        options.sysfsRoot = sysfs.path();
        options.mayTrigger = mayTrigger;
        options.networkManagerBus = std::move(bus);
        return WifiBoard::open(std::move(options));
    }

    TempDir sysfs;
    ReplayTransport* kernel = nullptr;
};

std::vector<std::uint8_t> elements(const std::vector<InfoElement>& list) {
    return encodeElements(list);
}

TEST_F(WifiBoardTest, OneScanOfTheAdapterFillsTheProgramsScanList) {
    Result<std::unique_ptr<WifiBoard>> board = open(true);
    ASSERT_TRUE(board) << board.error().message;
    EXPECT_EQ((*board)->startMode(), ScanMode::Trigger);
    ASSERT_TRUE((*board)->server().startOnPseudoTerminal());

    Link handheld;
    handheld.session.start(SysfsRegistry(), {(*board)->server().devicePath(), 0ms}, {});
    AnalyzerLink& link = handheld.session.link();
    char serial[AnalyzerLink::TextSize]{};
    ASSERT_TRUE(waitUntil([&] {
        link.copySerialText(serial);
        return serial[0] != 0;
    }));
    char firmware[AnalyzerLink::TextSize]{};
    link.copyFirmwareText(firmware);
    EXPECT_STREQ(firmware, "iwlwifi");
    EXPECT_STREQ(serial, "wlan0");

    // The scan: the country element first as real beacons have it, a 5 GHz
    // BSS without a DS parameter set, a hidden network, and a 6 GHz BSS.
    const InfoElement country{7, {'D', 'E', ' '}};
    kernel->answer(ack());
    kernel->notify(notification(NL80211_CMD_NEW_SCAN_RESULTS, Wlan0));
    kernel->answer(datagram({
        bssEntry({.bssid = {2, 0, 0, 0, 0, 6},
                  .frequencyMhz = 2437,
                  .signalMbm = -4449,
                  .elements = elements({country, {0, {'h', 'q'}}, {3, {6}}})}),
        bssEntry({.bssid = {2, 0, 0, 0, 0, 36},
                  .frequencyMhz = 5180,
                  .signalMbm = -7051,
                  .elements = elements({{0, {'l', 'a', 'b'}}, country})}),
        bssEntry({.bssid = {2, 0, 0, 0, 0, 1}, .elements = elements({{0, {0, 0, 0}}})}),
        bssEntry({.bssid = {2, 0, 0, 0, 0, 9}, .frequencyMhz = 5955}),
        done(),
    }));
    ASSERT_EQ(link.sendCommand(msg::StartScan), 1);
    ASSERT_TRUE(waitUntil([&] { return link.scanDone.load(); }));

    std::vector<std::tuple<std::string, std::string, int, int>> records;
    handheld.scanList.withLock([&](const RecordList& list) {
        for (const SurveyRecord& r : list)
            records.emplace_back(textOf(r.macText), textOf(r.ssid), r.channel, r.rssi);
    });
    std::sort(records.begin(), records.end());
    EXPECT_EQ(records, (std::vector<std::tuple<std::string, std::string, int, int>>{
                           {"020000000001", "", 1, -50},
                           {"020000000006", "hq", 6, -44},
                           {"020000000024", "lab", 36, -71}}));
    EXPECT_TRUE(handheld.errors.empty());
    handheld.session.stop();
}

TEST_F(WifiBoardTest, WithoutThePermissionNetworkManagerAsksWhereItKnowsTheAdapter) {
    const std::string daemon = PrivateBus::findDaemon();
    if (daemon.empty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    PrivateBus bus(daemon);
    Result<std::unique_ptr<WifiBoard>> alone = open(false, bus.address());
    ASSERT_TRUE(alone) << alone.error().message;
    EXPECT_EQ((*alone)->startMode(), ScanMode::Passive);

    FakeNetworkManager networkManager(bus.address(), {{"wlan0", 2}});
    Result<std::unique_ptr<WifiBoard>> asked = open(false, bus.address());
    ASSERT_TRUE(asked) << asked.error().message;
    EXPECT_EQ((*asked)->startMode(), ScanMode::NetworkManager);
    EXPECT_NE((*asked)->modeDescription().find("NetworkManager"), std::string::npos);
}

} // namespace
} // namespace marlow::wifi
