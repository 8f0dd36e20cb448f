// A sweep as the board's beacons: the element area the handheld reads each
// report's SSID and channel from, what is left out, and the RSSI.
#include "wifi/BoardBeacons.h"

#include <gtest/gtest.h>

namespace marlow::wifi {
namespace {

using Bytes = std::vector<std::uint8_t>;

const InfoElement Country = {7, {'D', 'E', ' ', 0x01, 0x0D, 0x14}};
const InfoElement Rsn = {48, {0x01, 0x00, 0x00, 0x0F, 0xAC, 0x04}};
const Bands Both{true, true};

Bytes bytesOf(const std::vector<InfoElement>& elements) {
    return encodeElements(elements);
}

ScannedBss bss(std::uint32_t mhz, const Bytes& elements, std::int32_t signalMbm = -5000) {
    return {{2, 0, 0, 0, 0, std::uint8_t(mhz)}, mhz, signalMbm, elements, 0, false};
}

Sweep sweepOf(std::vector<ScannedBss> heard) {
    Sweep sweep;
    sweep.heard = std::move(heard);
    return sweep;
}

// The element area of the first beacon on the channel.
const Bytes& area(const BeaconsByChannel& beacons, std::uint8_t channel) {
    return beacons.at(channel).at(0).elements.value();
}

// Real beacons put a country element (where the handheld's walk ends) early,
// and 5 GHz ones rarely carry a DS parameter set: the SSID and the channel
// come first, and any other SSID or DS parameter set is left out, so that
// each report gives the handheld its own (the end-to-end tests read them).
// A hidden network gets an empty SSID element, and SSID bytes of any value
// are carried. Received elements are walked only as far as they are whole,
// and the area stops at the last whole element within 2048 bytes.
TEST(BoardBeacons, EveryReportLeadsWithItsOwnSsidAndChannelInAWholeArea) {
    const Bytes oddSsid = {0x00, 0xFF, 'a'};
    Bytes runsPast = bytesOf({Country, {3, {}}});
    runsPast.insert(runsPast.end(), {48, 10, 0x01});
    Bytes loneId = bytesOf({{0, oddSsid}});
    loneId.push_back(221);
    // 3 + 3 + 7 * 257 + 243 bytes fill the area; not even an empty element
    // more fits.
    std::vector<InfoElement> big(7, InfoElement{221, Bytes(255, 0xDD)});
    big.insert(big.begin(), {0, {'b'}});
    big.insert(big.end(), {{221, Bytes(241, 0xDD)}, {221, {}}});
    const Sweep sweep = sweepOf({bss(2437, bytesOf({Country, {0, {'o', 'f', 'f'}}, Rsn, {3, {6}}})),
                                 bss(5180, bytesOf({{0, {'l', 'a', 'b'}}, Country, Rsn})),
                                 bss(2412, bytesOf({Rsn})), bss(2417, runsPast), bss(2422, loneId),
                                 bss(2427, bytesOf(big)), bss(2432, {0, 40, 'x'})});
    const BeaconsByChannel beacons = beaconsByChannel(sweep, Both);
    EXPECT_EQ(area(beacons, 6), bytesOf({{0, {'o', 'f', 'f'}}, {3, {6}}, Country, Rsn}));
    EXPECT_EQ(area(beacons, 36), bytesOf({{0, {'l', 'a', 'b'}}, {3, {36}}, Country, Rsn}));

    EXPECT_EQ(area(beacons, 1), bytesOf({{0, {}}, {3, {1}}, Rsn}));
    // A DS parameter set without a channel counts as none.
    EXPECT_EQ(area(beacons, 2), bytesOf({{0, {}}, {3, {2}}, Country}));
    EXPECT_EQ(area(beacons, 3), bytesOf({{0, oddSsid}, {3, {3}}}));
    EXPECT_EQ(beacons.at(3).at(0).ssid, std::string(oddSsid.begin(), oddSsid.end()));
    EXPECT_EQ(area(beacons, 5), bytesOf({{0, {}}, {3, {5}}}));
    big.pop_back();
    big.insert(big.begin() + 1, {3, {4}});
    EXPECT_EQ(area(beacons, 4), bytesOf(big));
}

// Which frequencies are whose channels is Channels' test.
TEST(BoardBeacons, OnlyTheBandsChannelsAndTheSignalInWholeDbm) {
    const Sweep sweep = sweepOf({bss(5955, {}), bss(2411, {}), bss(5180, {})});
    EXPECT_EQ(beaconsByChannel(sweep, Both).size(), 1u);
    EXPECT_TRUE(beaconsByChannel(sweep, Bands{true, false}).empty());

    const std::pair<std::int32_t, int> signals[] = {
        {-4550, -46}, {-4549, -45}, {150, 2}, {-12851, -128}, {INT32_MAX, 127}};
    Sweep graded;
    for (const auto& [mbm, dbm] : signals)
        graded.heard.push_back(bss(2462, {}, mbm));
    const std::vector<board::HeardBeacon> heard = beaconsByChannel(graded, Both).at(11);
    for (std::size_t i = 0; i < std::size(signals); ++i)
        EXPECT_EQ(heard.at(i).rssiSamples, std::vector<std::int8_t>{std::int8_t(signals[i].second)})
            << signals[i].first;
}

} // namespace
} // namespace marlow::wifi
