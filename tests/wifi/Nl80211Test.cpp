// The nl80211 client against replayed kernel messages: the family, the
// interfaces and the adapter picked among them, and scan dumps, well-formed
// and not.
#include "wifi/Nl80211.h"

#include "FakeKernel.h"
#include "ReplayTransport.h"
#include "TempDir.h"

#include <cerrno>
#include <climits>
#include <gtest/gtest.h>
#include <linux/genetlink.h>
#include <linux/nl80211.h>
#include <netlink/attr.h>
#include <netlink/msg.h>
#include <tuple>

namespace marlow::wifi {
namespace {

using namespace test;
using namespace std::chrono_literals;

Deadline soon() {
    return std::chrono::steady_clock::now() + 2s;
}

MacAddress station(std::uint8_t last) {
    return {0x02, 0, 0, 0, 0, last};
}

TEST(Nl80211, ResolvesTheFamilyAndListsTheInterfacesThatHaveANetworkDevice) {
    ReplayTransport kernel;
    kernel.answer(datagram({familyAnswer(), ack()}));
    Result<Nl80211> client = Nl80211::open(kernel, soon());
    ASSERT_TRUE(client) << client.error().message;
    EXPECT_EQ(kernel.requests().at(0).command, CTRL_CMD_GETFAMILY);
    ASSERT_TRUE(client->watch(3));
    EXPECT_EQ(kernel.groups(), (std::vector<std::uint32_t>{ScanGroup, ConfigGroup}));

    kernel.answer(datagram({interfaceEntry("wlan0", 3, NL80211_IFTYPE_STATION),
                            interfaceEntry("", 0, NL80211_IFTYPE_P2P_DEVICE)}));
    kernel.answer(datagram({interfaceEntry("mon0", 9, NL80211_IFTYPE_MONITOR, 1), done()}));
    const Result<std::vector<WifiInterface>> interfaces = client->interfaces(soon());
    ASSERT_TRUE(interfaces) << interfaces.error().message;
    ASSERT_EQ(interfaces->size(), 2U);
    const WifiInterface &wlan0 = interfaces->at(0), &mon0 = interfaces->at(1);
    EXPECT_EQ(std::tuple(wlan0.name, wlan0.index, mon0.wiphy, mon0.type),
              std::tuple("wlan0", 3U, 1U, std::uint32_t{NL80211_IFTYPE_MONITOR}));
    EXPECT_TRUE(kernel.requests().at(1).flags & NLM_F_DUMP);
}

TEST(Nl80211, OpeningFailsWithoutNl80211ItsScanGroupOrAStatusAKernelSends) {
    ReplayTransport withoutWifi;
    withoutWifi.answer(ack(-ENOENT));
    const Result<Nl80211> none = Nl80211::open(withoutWifi, soon());
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error().message, "this kernel has no nl80211 (no Wi-Fi support)");
    ReplayTransport withoutScanGroup;
    withoutScanGroup.answer(datagram({familyAnswer({{"config", ConfigGroup}}), ack()}));
    EXPECT_FALSE(Nl80211::open(withoutScanGroup, soon()));
    // A status no kernel sends is a protocol error, not a number to negate.
    ReplayTransport garbled;
    garbled.answer(ack(INT_MIN));
    const Result<Nl80211> refused = Nl80211::open(garbled, soon());
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().systemError, EPROTO);
}

TEST(AdapterPicking, NamedOrFirstUpThatCanScan) {
    const marlow::test::TempDir sysfs;
    addSysfsInterface(sysfs.path(), "wlan0", false, "iwlwifi");
    addSysfsInterface(sysfs.path(), "mon0", true, "");
    addSysfsInterface(sysfs.path(), "wlp2s0", true, "ath9k");
    const std::vector<WifiInterface> all{{"wlan0", 3, 0, NL80211_IFTYPE_STATION},
                                         {"mon0", 4, 0, NL80211_IFTYPE_MONITOR},
                                         {"wlp2s0", 7, 1, NL80211_IFTYPE_STATION}};
    const auto pick = [&](const std::vector<WifiInterface>& interfaces, const std::string& name) {
        const Result<Adapter> adapter = pickAdapter(interfaces, name, sysfs.path());
        return adapter ? adapter->name + " " + std::to_string(adapter->index) + " (" +
                             adapter->driver + ")"
                       : adapter.error().message;
    };
    EXPECT_EQ(pick(all, ""), "wlp2s0 7 (ath9k)");
    EXPECT_EQ(pick(all, "mon0"), "mon0 4 ()");
    EXPECT_EQ(pick(all, "wlan0"),
              "the Wi-Fi adapter wlan0 is down (bring it up with: ip link set wlan0 up)");
    EXPECT_EQ(pick(all, "wlan5"),
              "there is no Wi-Fi adapter wlan5 (Wi-Fi adapters: wlan0, mon0, wlp2s0)");
    EXPECT_EQ(pick({all[0], all[1]}, ""), "no Wi-Fi adapter is up (Wi-Fi adapters: wlan0, mon0)");
}

class ScanDumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        kernel.answer(datagram({familyAnswer(), ack()}));
        Result<Nl80211> opened = Nl80211::open(kernel, soon());
        ASSERT_TRUE(opened);
        client.emplace(std::move(*opened));
        ASSERT_TRUE(client->watch(3));
    }

    ScanDump dump() {
        Result<ScanDump> read = client->dumpScan(soon());
        EXPECT_TRUE(read) << read.error().message;
        EXPECT_EQ(kernel.unread(), 0U);
        return read ? std::move(*read) : ScanDump{};
    }

    ReplayTransport kernel;
    std::optional<Nl80211> client;
};

using Heard =
    std::vector<std::tuple<MacAddress, std::uint32_t, std::int32_t, Bytes, std::uint32_t>>;

Heard heardIn(const ScanDump& dump) {
    Heard heard;
    for (const ScannedBss& b : dump.heard)
        heard.emplace_back(b.bssid, b.frequencyMhz, b.signalMbm, b.elements, b.ageMs);
    return heard;
}

TEST_F(ScanDumpTest, ReadsEveryEntryAcrossDatagramsAndBands) {
    const Bytes office{0, 6, 'o', 'f', 'f', 'i', 'c', 'e', 1, 1, 0x82};
    const Bytes hidden{0, 0, 1, 1, 0x82};
    const Bytes zeroed{0, 4, 0, 0, 0, 0, 3, 1, 149};
    kernel.answer(datagram(
        {bssEntry({.bssid = station(1), .signalMbm = -4500, .elements = office, .ageMs = 120}),
         bssEntry({.bssid = station(2),
                   .frequencyMhz = 5180,
                   .signalMbm = -7150,
                   .elements = hidden})}));
    kernel.answer(datagram({bssEntry({.bssid = station(3),
                                      .frequencyMhz = 5745,
                                      .signalMbm = std::nullopt,
                                      .signalPercent = 60,
                                      .elements = zeroed,
                                      .beaconOnly = true}),
                            done()}));
    EXPECT_EQ(heardIn(dump()), (Heard{{station(1), 2412, -4500, office, 120},
                                      {station(2), 5180, -7150, hidden, 0},
                                      // 60 % taken as -70 dBm
                                      {station(3), 5745, -7000, zeroed, 0}}));
    const ReplayTransport::Request request = kernel.requests().back();
    EXPECT_EQ(request.command, NL80211_CMD_GET_SCAN);
    EXPECT_EQ(request.ifindex, 3U);
}

TEST_F(ScanDumpTest, SkipsMalformedEntriesAndCutMessages) {
    const auto entry = [](int bssidLength, bool signal, std::uint16_t cutBssTo = 0) {
        return scanEntry([=](nl_msg* message, nlattr* bss) {
            const MacAddress bssid = station(9);
            nla_put(message, NL80211_BSS_BSSID, bssidLength, bssid.data());
            nla_put_u32(message, NL80211_BSS_FREQUENCY, 2437);
            if (signal)
                nla_put_s32(message, NL80211_BSS_SIGNAL_MBM, -6000);
            // The BSSID's length made to run past the end of the BSS.
            if (cutBssTo)
                static_cast<nlattr*>(nla_data(bss))->nla_len = cutBssTo;
        });
    };
    // Two bytes of payload: too short for the generic netlink header.
    Bytes noGenericHeader(NLMSG_ALIGN(NLMSG_HDRLEN + 2));
    auto* header = reinterpret_cast<nlmsghdr*>(noGenericHeader.data());
    header->nlmsg_len = NLMSG_HDRLEN + 2;
    header->nlmsg_type = Nl80211Family;
    const Bytes cut = datagram({bssEntry({.bssid = station(1)}), bssEntry({.bssid = station(2)})});

    kernel.answer(
        datagram({entry(5, true), entry(6, true, 400), entry(6, false), noGenericHeader}));
    kernel.answer(Bytes(cut.begin(), cut.end() - 20));
    kernel.answer(datagram({bssEntry({.bssid = station(3)}), done()}));
    const ScanDump read = dump();
    ASSERT_EQ(read.heard.size(), 2U);
    EXPECT_EQ(read.heard[0].bssid, station(1));
    EXPECT_EQ(read.heard[1].bssid, station(3));
}

TEST_F(ScanDumpTest, KeepsTheFirstEntriesUpToTheCapAndCountsTheRest) {
    std::vector<Bytes> entries;
    for (std::size_t entry = 0; entry < MaxBssPerSweep + 5; ++entry)
        entries.push_back(bssEntry({.bssid = station(static_cast<std::uint8_t>(entry))}));
    entries.push_back(done());
    kernel.answer(datagram(entries));
    const ScanDump read = dump();
    EXPECT_EQ(read.heard.size(), MaxBssPerSweep);
    EXPECT_EQ(read.dropped, 5U);
    EXPECT_EQ(read.heard.back().bssid, station(static_cast<std::uint8_t>(MaxBssPerSweep - 1)));
}

TEST_F(ScanDumpTest, TakesADumpAgainWhenTheKernelMarksItInconsistent) {
    Bytes changed = bssEntry({.bssid = station(1)});
    reinterpret_cast<nlmsghdr*>(changed.data())->nlmsg_flags |= NLM_F_DUMP_INTR;
    kernel.answer(datagram({changed, bssEntry({.bssid = station(2)}), done()}));
    kernel.answer(datagram({bssEntry({.bssid = station(1)}), done()}));
    EXPECT_EQ(dump().heard.size(), 1U);
    EXPECT_EQ(kernel.requests().size(), 3U);
}

} // namespace
} // namespace marlow::wifi
