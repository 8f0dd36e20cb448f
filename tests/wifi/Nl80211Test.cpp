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

TEST(Nl80211Family, ResolvesTheFamilyAndItsGroupsOrSaysThereIsNone) {
    ReplayTransport kernel;
    kernel.answer(datagram({familyAnswer(), ack()}));
    Result<Nl80211> client = Nl80211::open(kernel, soon());
    ASSERT_TRUE(client) << client.error().message;
    EXPECT_EQ(kernel.requests().at(0).command, CTRL_CMD_GETFAMILY);
    ASSERT_TRUE(client->watch(3));
    EXPECT_EQ(kernel.groups(), (std::vector<std::uint32_t>{ScanGroup, ConfigGroup}));

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

TEST(Nl80211Interfaces, DumpListsTheInterfacesThatHaveANetworkDevice) {
    ReplayTransport kernel;
    kernel.answer(datagram({familyAnswer(), ack()}));
    Result<Nl80211> client = Nl80211::open(kernel, soon());
    ASSERT_TRUE(client);
    kernel.answer(datagram({interfaceEntry("wlan0", 3, NL80211_IFTYPE_STATION),
                            interfaceEntry("", 0, NL80211_IFTYPE_P2P_DEVICE)}));
    kernel.answer(datagram({interfaceEntry("mon0", 9, NL80211_IFTYPE_MONITOR, 1), done()}));
    const Result<std::vector<WifiInterface>> interfaces = client->interfaces(soon());
    ASSERT_TRUE(interfaces) << interfaces.error().message;
    ASSERT_EQ(interfaces->size(), 2U);
    EXPECT_EQ(interfaces->at(0).name, "wlan0");
    EXPECT_EQ(interfaces->at(0).index, 3U);
    EXPECT_EQ(interfaces->at(1).wiphy, 1U);
    EXPECT_EQ(interfaces->at(1).type, NL80211_IFTYPE_MONITOR);
    EXPECT_TRUE(kernel.requests().at(1).flags & NLM_F_DUMP);
}

TEST(AdapterPicking, NamedOrFirstUpThatCanScan) {
    const marlow::test::TempDir sysfs;
    addSysfsInterface(sysfs.path(), "wlan0", false, "iwlwifi");
    addSysfsInterface(sysfs.path(), "mon0", true, "");
    addSysfsInterface(sysfs.path(), "wlp2s0", true, "ath9k");
    const std::vector<WifiInterface> interfaces{{"wlan0", 3, 0, NL80211_IFTYPE_STATION},
                                                {"mon0", 4, 0, NL80211_IFTYPE_MONITOR},
                                                {"wlp2s0", 7, 1, NL80211_IFTYPE_STATION}};

    const Result<Adapter> first = pickAdapter(interfaces, "", sysfs.path());
    ASSERT_TRUE(first) << first.error().message;
    EXPECT_EQ(first->name, "wlp2s0");
    EXPECT_EQ(first->index, 7U);
    EXPECT_EQ(first->driver, "ath9k");

    const Result<Adapter> named = pickAdapter(interfaces, "mon0", sysfs.path());
    ASSERT_TRUE(named);
    EXPECT_TRUE(named->up);
    EXPECT_EQ(named->driver, "");

    const Result<Adapter> down = pickAdapter(interfaces, "wlan0", sysfs.path());
    ASSERT_FALSE(down);
    EXPECT_NE(down.error().message.find("wlan0 is down"), std::string::npos);

    const Result<Adapter> missing = pickAdapter(interfaces, "wlan5", sysfs.path());
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().message.find("wlan0, mon0, wlp2s0"), std::string::npos);

    EXPECT_FALSE(pickAdapter({interfaces[0], interfaces[1]}, "", sysfs.path()));
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
    const ScanDump read = dump();
    ASSERT_EQ(read.heard.size(), 3U);
    EXPECT_EQ(read.heard[0].bssid, station(1));
    EXPECT_EQ(read.heard[0].frequencyMhz, 2412U);
    EXPECT_EQ(read.heard[0].signalMbm, -4500);
    EXPECT_EQ(read.heard[0].elements, office);
    EXPECT_EQ(read.heard[0].ageMs, 120U);
    EXPECT_EQ(read.heard[1].frequencyMhz, 5180U);
    EXPECT_EQ(read.heard[1].elements, hidden);
    EXPECT_EQ(read.heard[2].signalMbm, -7000); // 60 % taken as -70 dBm
    EXPECT_EQ(read.heard[2].elements, zeroed);
    const ReplayTransport::Request request = kernel.requests().back();
    EXPECT_EQ(request.command, NL80211_CMD_GET_SCAN);
    EXPECT_EQ(request.ifindex, 3U);
}

TEST_F(ScanDumpTest, SkipsMalformedEntriesAndCutMessages) {
    const auto withBssid = [](int length) {
        return [length](nl_msg* message, nlattr*) {
            const MacAddress bssid = station(9);
            nla_put(message, NL80211_BSS_BSSID, length, bssid.data());
            nla_put_u32(message, NL80211_BSS_FREQUENCY, 2437);
            nla_put_s32(message, NL80211_BSS_SIGNAL_MBM, -6000);
        };
    };
    const Bytes shortFrequency = scanEntry([&](nl_msg* message, nlattr* bss) {
        withBssid(6)(message, bss);
        nla_put_u16(message, NL80211_BSS_FREQUENCY, 2437);
    });
    // The BSSID's length runs past the end of the BSS attribute.
    const Bytes overlong = scanEntry([&](nl_msg* message, nlattr* bss) {
        withBssid(6)(message, bss);
        static_cast<nlattr*>(nla_data(bss))->nla_len = 400;
    });
    const Bytes noSignal = scanEntry([](nl_msg* message, nlattr*) {
        const MacAddress bssid = station(9);
        nla_put(message, NL80211_BSS_BSSID, 6, bssid.data());
        nla_put_u32(message, NL80211_BSS_FREQUENCY, 2437);
    });
    // Two bytes of payload: too short for the generic netlink header.
    Bytes noGenericHeader(NLMSG_ALIGN(NLMSG_HDRLEN + 2));
    auto* header = reinterpret_cast<nlmsghdr*>(noGenericHeader.data());
    header->nlmsg_len = NLMSG_HDRLEN + 2;
    header->nlmsg_type = Nl80211Family;
    const Bytes cut = datagram({bssEntry({.bssid = station(1)}), bssEntry({.bssid = station(2)})});

    kernel.answer(
        datagram({scanEntry(withBssid(5)), shortFrequency, overlong, noSignal, noGenericHeader}));
    kernel.answer(Bytes(cut.begin(), cut.end() - 20));
    kernel.answer(datagram({bssEntry({.bssid = station(3)}), done()}));
    const ScanDump read = dump();
    ASSERT_EQ(read.heard.size(), 2U);
    EXPECT_EQ(read.heard[0].bssid, station(1));
    EXPECT_EQ(read.heard[1].bssid, station(3));
}

TEST_F(ScanDumpTest, KeepsTheFirstEntriesUpToTheCapAndCountsTheRest) {
    constexpr std::size_t Extra = 5;
    std::vector<Bytes> batch;
    for (std::size_t entry = 0; entry < MaxBssPerSweep + Extra; ++entry) {
        batch.push_back(bssEntry({.bssid = station(static_cast<std::uint8_t>(entry))}));
        if (batch.size() == 64) {
            kernel.answer(datagram(batch));
            batch.clear();
        }
    }
    batch.push_back(done());
    kernel.answer(datagram(batch));
    const ScanDump read = dump();
    EXPECT_EQ(read.heard.size(), MaxBssPerSweep);
    EXPECT_EQ(read.dropped, Extra);
    EXPECT_EQ(read.heard.back().bssid, station(static_cast<std::uint8_t>(MaxBssPerSweep - 1)));
}

TEST_F(ScanDumpTest, TakesADumpAgainWhenTheKernelMarksItInconsistent) {
    Bytes changed = bssEntry({.bssid = station(1)});
    reinterpret_cast<nlmsghdr*>(changed.data())->nlmsg_flags |= NLM_F_DUMP_INTR;
    kernel.answer(datagram({changed, bssEntry({.bssid = station(2)}), done()}));
    kernel.answer(datagram({bssEntry({.bssid = station(1)}), done()}));
    const ScanDump read = dump();
    ASSERT_EQ(read.heard.size(), 1U);
    EXPECT_EQ(kernel.requests().size(), 3U);
}

} // namespace
} // namespace marlow::wifi
