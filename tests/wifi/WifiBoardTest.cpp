// The board that marlow --wifi and wifiboard serve, end to end over a
// replayed kernel: the program's link on its pseudo-terminal reads the
// adapter's driver and interface as the board's texts, and one scan of the
// adapter fills the scan list, each BSS with its own SSID and channel. And
// how the board decides who asks for scans.
#include "wifi/WifiBoard.h"

#include "FakeKernel.h"
#include "FakeNetworkManager.h"
#include "Handheld.h"
#include "ReplayTransport.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <linux/nl80211.h>
#include <stdexcept>

namespace marlow::wifi {
namespace {

using namespace test;
using marlow::test::FakeNetworkManager;
using marlow::test::PrivateBus;

constexpr std::uint32_t Wlan0 = 3;

Bytes elements(const std::vector<InfoElement>& list) {
    return encodeElements(list);
}

class WifiBoardTest : public ::testing::Test {
protected:
    WifiBoardTest() { addSysfsInterface(sysfs.path(), "wlan0", true, "iwlwifi"); }

    // The board over a kernel that lists wlan0; throws when it does not open.
    std::unique_ptr<WifiBoard> open(bool mayTrigger, std::string bus = {}) {
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
        Result<std::unique_ptr<WifiBoard>> board = WifiBoard::open(std::move(options));
        if (!board)
            throw std::runtime_error(board.error().message);
        return std::move(*board);
    }

    marlow::test::TempDir sysfs;
    ReplayTransport* kernel = nullptr;
};

TEST_F(WifiBoardTest, OneScanOfTheAdapterFillsTheProgramsScanList) {
    const std::unique_ptr<WifiBoard> board = open(true);
    EXPECT_EQ(board->startMode(), ScanMode::Trigger);
    ASSERT_TRUE(board->server().startOnPseudoTerminal());
    marlow::test::Handheld handheld;
    ASSERT_TRUE(handheld.connect(board->server().devicePath()));
    EXPECT_EQ(handheld.text(&AnalyzerLink::copyFirmwareText), "iwlwifi");
    EXPECT_EQ(handheld.text(&AnalyzerLink::copySerialText), "wlan0");

    // The country element first as real beacons have it, a 5 GHz BSS
    // without a DS parameter set, and a 6 GHz BSS.
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
        bssEntry({.bssid = {2, 0, 0, 0, 0, 9}, .frequencyMhz = 5955}),
        done(),
    }));
    EXPECT_EQ(handheld.scan(),
              (std::vector<marlow::test::Handheld::Record>{{"020000000006", "hq", 6, 1, -44},
                                                           {"020000000024", "lab", 36, 1, -71}}));
    EXPECT_TRUE(handheld.errors.empty());
}

// Without the permission to scan: NetworkManager asks where it runs, and
// otherwise the board waits for the system's own scans.
TEST_F(WifiBoardTest, WithoutThePermissionNetworkManagerAsksWhereItRuns) {
    EXPECT_EQ(open(false, "unix:path=/nonexistent/bus")->startMode(), ScanMode::Passive);
    if (!PrivateBus::installed())
        GTEST_SKIP() << "dbus-daemon is not installed";
    const PrivateBus bus;
    const FakeNetworkManager networkManager(bus.address(), {{"wlan0", 2}});
    EXPECT_EQ(open(false, bus.address())->startMode(), ScanMode::NetworkManager);
}

} // namespace
} // namespace marlow::wifi
