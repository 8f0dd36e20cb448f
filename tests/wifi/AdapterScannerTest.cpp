// The rules of a sweep in each mode, against a replayed kernel: asking for
// scans and what happens when the kernel is busy, aborts or refuses;
// NetworkManager and the system's own scans; the time limit, an interrupt
// and an adapter that goes away.
#include "wifi/AdapterScanner.h"

#include "FakeKernel.h"
#include "ReplayTransport.h"
#include "TempDir.h"
#include "wifi/Capabilities.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <linux/nl80211.h>
#include <stdexcept>
#include <thread>

namespace marlow::wifi {
namespace {

using namespace test;
using namespace std::chrono_literals;
using std::chrono::steady_clock;

constexpr std::uint32_t Wlan0 = 3;

class CountingRescanner final : public Rescanner {
public:
    Result<void> requestRescan() override {
        ++calls;
        if (refuse)
            return fail(Error{"not authorized"});
        return {};
    }
    int calls = 0;
    bool refuse = false;
};

class AdapterScannerTest : public ::testing::Test {
protected:
    AdapterScannerTest() { addSysfsInterface(sysfs.path(), "wlan0", true, "iwlwifi"); }

    // A scanner over wlan0 that may ask for scans unless the config says
    // otherwise; kernel replays to it. Throws when it does not open.
    std::unique_ptr<AdapterScanner> open(ScannerConfig config = {}) {
        auto transport = std::make_unique<ReplayTransport>();
        kernel = transport.get();
        kernel->answer(datagram({familyAnswer(), ack()}));
        kernel->answer(datagram({interfaceEntry("wlan0", Wlan0, NL80211_IFTYPE_STATION), done()}));
        config.sysfsRoot = sysfs.path();
        config.mayTrigger = config.mayTrigger.value_or(true);
        Result<std::unique_ptr<AdapterScanner>> scanner =
            openAdapterScanner(std::move(config), std::move(transport));
        if (!scanner)
            throw std::runtime_error(scanner.error().message);
        return std::move(*scanner);
    }

    void answerDump(const std::vector<BssEntry>& entries) {
        std::vector<Bytes> messages;
        for (const BssEntry& entry : entries)
            messages.push_back(bssEntry(entry));
        messages.push_back(done());
        kernel->answer(datagram(messages));
    }

    void announce(std::uint8_t command) { kernel->notify(notification(command, Wlan0)); }

    // The commands sent since the scanner opened.
    std::vector<std::uint8_t> commands() const {
        std::vector<std::uint8_t> sent;
        for (const ReplayTransport::Request& request : kernel->requests())
            sent.push_back(request.command);
        sent.erase(sent.begin(), sent.begin() + 2);
        return sent;
    }

    marlow::test::TempDir sysfs;
    ReplayTransport* kernel = nullptr;
};

constexpr std::uint8_t Trigger = NL80211_CMD_TRIGGER_SCAN;
constexpr std::uint8_t Dump = NL80211_CMD_GET_SCAN;
const BssEntry Fresh{.bssid = {2, 0, 0, 0, 0, 1}};
const BssEntry Old{.bssid = {2, 0, 0, 0, 0, 2}, .ageMs = 60000};

// Asked for a scan, the adapter is busy at first (asked again after a
// pause), and the scan is aborted (asked for once more; when that one is
// aborted too, the held results are read).
TEST_F(AdapterScannerTest, AsksForAScanUntilOneEndsOrTwoWereAborted) {
    const auto scanner = open({.busyRetryPause = 1ms});
    for (const bool abortTwice : {false, true}) {
        kernel->answer(ack(-EBUSY));
        kernel->answer(ack());
        announce(NL80211_CMD_SCAN_ABORTED);
        kernel->answer(ack());
        // Another interface's news is not this sweep's.
        kernel->notify(datagram({notification(NL80211_CMD_NEW_SCAN_RESULTS, Wlan0 + 1),
                                 notification(NL80211_CMD_DEL_INTERFACE, Wlan0 + 1)}));
        announce(NL80211_CMD_TRIGGER_SCAN);
        announce(abortTwice ? NL80211_CMD_SCAN_ABORTED : NL80211_CMD_NEW_SCAN_RESULTS);
        answerDump({Fresh, Old});
        const Sweep sweep = scanner->sweep();
        ASSERT_EQ(sweep.heard.size(), 2U);
        EXPECT_EQ(sweep.heard[1].stale, abortTwice); // fresh when the sweep's own scan ended
        EXPECT_EQ(sweep.notes.size(), abortTwice ? 1U : 0U);
        EXPECT_EQ(kernel->unread(), 0U);
    }
    EXPECT_EQ(commands(), (std::vector<std::uint8_t>{Trigger, Trigger, Trigger, Dump, Trigger,
                                                     Trigger, Trigger, Dump}));
    const ReplayTransport::Request trigger = kernel->requests().at(2);
    EXPECT_EQ(trigger.ifindex, Wlan0);
    EXPECT_EQ(trigger.groupsJoined, 2U);
}

// A kernel that refuses us a scan (EPERM or EACCES) hands the scans to
// NetworkManager for good, or where there is none to the system's own.
TEST_F(AdapterScannerTest, RefusedPermissionFallsBackForGood) {
    for (const bool viaNetworkManager : {true, false}) {
        CountingRescanner networkManager;
        const auto scanner = open({.rescanner = viaNetworkManager ? &networkManager : nullptr});
        kernel->answer(ack(viaNetworkManager ? -EPERM : -EACCES));
        if (!viaNetworkManager)
            answerDump({Old}); // nothing fresh: it waits for a scan
        announce(NL80211_CMD_NEW_SCAN_RESULTS);
        answerDump({Old, Fresh});
        const Sweep sweep = scanner->sweep();
        ASSERT_EQ(sweep.heard.size(), 2U);
        // Only a scan that NetworkManager was asked for is the sweep's own.
        EXPECT_EQ(sweep.heard[0].stale, !viaNetworkManager);
        EXPECT_FALSE(sweep.heard[1].stale);
        EXPECT_EQ(sweep.notes.size(), 1U);
        EXPECT_EQ(scanner->mode(),
                  viaNetworkManager ? ScanMode::NetworkManager : ScanMode::Passive);

        announce(NL80211_CMD_NEW_SCAN_RESULTS);
        answerDump({Fresh});
        EXPECT_EQ(scanner->sweep().heard.size(), 1U);
        EXPECT_EQ(networkManager.calls, viaNetworkManager ? 2 : 0);
        const std::vector<std::uint8_t> sent = commands();
        EXPECT_EQ(std::count(sent.begin(), sent.end(), Trigger), 1) << viaNetworkManager;
    }
}

TEST_F(AdapterScannerTest, NetworkManagerAsksWhenWeMayNotAndARefusalMeansWaiting) {
    CountingRescanner networkManager;
    const auto scanner = open({.rescanner = &networkManager, .mayTrigger = false});
    EXPECT_EQ(scanner->modeDescription(),
              "scanning with wlan0 (iwlwifi): NetworkManager asks for each scan");
    announce(NL80211_CMD_NEW_SCAN_RESULTS);
    answerDump({Old});
    const Sweep asked = scanner->sweep();
    ASSERT_EQ(asked.heard.size(), 1U);
    EXPECT_FALSE(asked.heard[0].stale);

    networkManager.refuse = true;
    answerDump({Fresh});
    const Sweep refused = scanner->sweep();
    ASSERT_EQ(refused.notes.size(), 1U);
    EXPECT_NE(refused.notes[0].find("not authorized"), std::string::npos);
    EXPECT_EQ(refused.heard.size(), 1U);
    EXPECT_EQ(networkManager.calls, 2);
    EXPECT_EQ(commands(), (std::vector<std::uint8_t>{Dump, Dump}));
}

// Asking for a scan and waiting for the system's own: no scan ends, and the
// sweep ends with the held results at its time limit. Results announced
// before the sweep began are not its scan's.
TEST_F(AdapterScannerTest, TheTimeLimitEndsASweepWithWhatTheKernelHolds) {
    for (const bool mayTrigger : {true, false}) {
        const auto scanner = open({.timeLimit = 200ms, .mayTrigger = mayTrigger});
        EXPECT_EQ(scanner->modeDescription().find("setcap cap_net_admin") != std::string::npos,
                  !mayTrigger);
        kernel->notifyEarlier(notification(NL80211_CMD_NEW_SCAN_RESULTS, Wlan0));
        if (mayTrigger)
            kernel->answer(ack());
        else
            answerDump({Old});
        kernel->silence();
        answerDump({Old});
        const steady_clock::time_point start = steady_clock::now();
        const Sweep sweep = scanner->sweep();
        const auto took = steady_clock::now() - start;
        EXPECT_GE(took, 150ms);
        EXPECT_LT(took, 200ms + 100ms); // scheduling slack
        ASSERT_EQ(sweep.heard.size(), 1U);
        EXPECT_TRUE(sweep.heard[0].stale);
        ASSERT_EQ(sweep.notes.size(), 1U);
        EXPECT_NE(sweep.notes[0].find("time limit"), std::string::npos);
        EXPECT_EQ(kernel->unread(), 0U);
    }
}

TEST_F(AdapterScannerTest, AnInterruptEndsTheSweepAtOnceAndEveryLaterOne) {
    for (const bool busy : {false, true}) {
        const auto scanner = open({.timeLimit = 10s, .busyRetryPause = 5s});
        kernel->answer(ack(busy ? -EBUSY : 0));
        kernel->silence();
        std::thread interrupter([&] {
            std::this_thread::sleep_for(50ms);
            scanner->interrupt();
        });
        const steady_clock::time_point start = steady_clock::now();
        const Sweep sweep = scanner->sweep();
        EXPECT_LT(steady_clock::now() - start, 2s) << busy;
        interrupter.join();
        EXPECT_TRUE(sweep.heard.empty());
        EXPECT_TRUE(scanner->sweep().notes.empty());
        EXPECT_EQ(commands(), std::vector<std::uint8_t>{Trigger}) << busy;
    }
}

TEST_F(AdapterScannerTest, AnAdapterThatGoesAwayEndsThisSweepAndLaterOnes) {
    for (const bool removedDuringWait : {true, false}) {
        const auto scanner = open();
        kernel->answer(ack(removedDuringWait ? 0 : -ENODEV));
        if (removedDuringWait)
            announce(NL80211_CMD_DEL_INTERFACE);
        const Sweep sweep = scanner->sweep();
        EXPECT_TRUE(sweep.adapterGone);
        EXPECT_EQ(sweep.notes, std::vector<std::string>{"the Wi-Fi adapter wlan0 is gone"});
        const Sweep later = scanner->sweep();
        EXPECT_TRUE(later.adapterGone);
        EXPECT_TRUE(later.heard.empty());
        EXPECT_EQ(commands(), std::vector<std::uint8_t>{Trigger});
    }
}

// The effective set decides, bit by bit; the permitted set does not.
TEST(Capabilities, TheEffectiveSetDecides) {
    EXPECT_FALSE(
        hasEffectiveCapability("CapPrm:\t0000000000001000\nCapEff:\t0000000000000000\n", 12));
    EXPECT_TRUE(hasEffectiveCapability("Name:\tmarlow\nCapEff:\t0000003fffffffff\n", 12));
    EXPECT_FALSE(hasEffectiveCapability("Name:\tmarlow\nCapEff:\t0000000000000800\n", 12));
    EXPECT_FALSE(hasEffectiveCapability("Name:\tmarlow\n", 12));
}

} // namespace
} // namespace marlow::wifi
