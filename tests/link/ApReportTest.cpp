// Access-point reports: decoding (the element walk, the SSID and its limits on
// malformed reports) and the scan list they build (transmitter, ordered
// insertion, sums, SSID and channel rules).
#include "link/ApReport.h"

#include "LinkTestSupport.h"
#include "link/Messages.h"

#include <string>

namespace marlow {
namespace {

using test::Bytes;
using test::reportWith;
using test::textBytes;

// Sets N in a report payload without changing what follows it.
Bytes withDeclaredLength(Bytes payload, std::size_t n) {
    payload[report::LengthOffset] = static_cast<std::uint8_t>(n & 0xFF);
    payload[report::LengthOffset + 1] = static_cast<std::uint8_t>(n >> 8);
    return payload;
}

std::string ssidOf(const Bytes& payload) {
    const auto decoded = decodeApReport(payload);
    return decoded ? std::string(decoded->ssidText()) : "<dropped>";
}

TEST(ApReportDecoding, WalksOnlyPastTheSkippedElementIds) {
    for (int id = 0; id < 256; ++id) {
        const auto decoded = decodeApReport(
            reportWith(-60, 1, {{static_cast<std::uint8_t>(id), {0x09}}, {0, textBytes("net")}}));
        ASSERT_TRUE(decoded);
        const bool walkGoesOn = id <= 6 || id == 16;
        EXPECT_EQ(std::string(decoded->ssidText()), walkGoesOn ? "net" : "") << "id " << id;
    }
}

// A report whose SSID element "far" starts `offset` (2042 or more) bytes into
// the element area, after skipped elements that fill the bytes before it.
Bytes ssidAt(std::size_t offset) {
    std::vector<InfoElement> elements(8, {1, Bytes(253, 0x82)});
    elements.push_back({1, Bytes(offset - 8 * 255 - 2, 0x82)});
    elements.push_back({0, textBytes("far")});
    return reportWith(-60, 1, elements);
}

TEST(ApReportDecoding, KeepsTheSsidWithinItsLimitsAndStaysInsideMalformedReports) {
    const Bytes good = reportWith(-60, 1, {{3, {6}}, {0, textBytes("net")}});
    const std::size_t n = good.size() - report::CaptureOffset;
    Bytes truncated = good;
    truncated.resize(report::CaptureOffset + 45);
    Bytes missingLength = reportWith(-60, 1, {{0, textBytes("ok")}});
    missingLength.push_back(1);
    missingLength = withDeclaredLength(missingLength, missingLength.size() - report::CaptureOffset);

    const std::pair<std::string, Bytes> cases[] = {
        {"<dropped>", {0x00, 0xC4, 0x30}}, // shorter than the report header
        {"<dropped>", withDeclaredLength(good, 39)},
        {"<dropped>", withDeclaredLength(good, 0)},
        {"<dropped>", Bytes(good.begin(), good.begin() + report::CaptureOffset + 39)},
        {"", reportWith(-60, 1, {})},            // N exactly the fixed part
        {"net", withDeclaredLength(good, 3000)}, // N beyond the payload: walk what is there
        {"", truncated},                         // SSID cut off by the end of the payload
        {"", withDeclaredLength(good, n - 5)},   // SSID cut off by N
        {"ok", missingLength},                   // length byte missing
        // The first 32 bytes of a long SSID; the latest SSID element.
        {std::string(32, 's'), reportWith(-60, 1, {{0, textBytes(std::string(40, 's'))}})},
        {"b", reportWith(-60, 1, {{0, textBytes(std::string(32, 'l'))}, {0, textBytes("b")}})},
        // The element ends exactly at the 2048th byte of the area (N = 2088);
        // one byte further it runs past the area, although all of it is present.
        {"far", ssidAt(2043)},
        {"", ssidAt(2044)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ssidOf(c.second), c.first) << "case " << &c - cases;
    // What the walk read before an element that runs past the area counts.
    EXPECT_EQ(decodeApReport(truncated)->channel, 6);
    // An empty DS element has no channel to give.
    EXPECT_FALSE(decodeApReport(reportWith(-60, 1, {{3, {}}}))->channel);
}

using ScanListBuildingTest = test::LinkTest;

TEST_F(ScanListBuildingTest, InsertsInAscendingRssiAndSumsSamplesInPlaceBeyond16Bits) {
    const std::pair<std::int8_t, std::uint8_t> sightings[] = {
        {-60, 1}, {-40, 2}, {-80, 3}, {-60, 4}, {-62, 1}};
    for (const auto& [rssi, ap] : sightings)
        report(rssi, ap);
    std::vector<std::string> order;
    for (const SurveyRecord& r : records())
        order.emplace_back(r.macText);
    // Equal RSSI goes after; a later sample does not move its record.
    EXPECT_EQ(order, (std::vector<std::string>{"001122334403", "001122334401", "001122334404",
                                               "001122334402"}));
    EXPECT_EQ(records()[1].rssi, -122);
    EXPECT_EQ(records()[1].sampleCount, 2);
    EXPECT_EQ(records()[1].macAddr[5], 0x01);
    for (int i = 0; i < 600; ++i)
        report(-60, 1);
    EXPECT_EQ(records()[1].rssi, -36122);
    EXPECT_EQ(records()[1].rssi / records()[1].sampleCount, -60);
}

TEST_F(ScanListBuildingTest, TakesTheLatestSsidButKeepsTheFirstChannel) {
    handle(msg::ApReport, reportWith(-60, 1, {{0, textBytes("a")}})); // no channel yet: 0
    report(-60, 2, "b", 11);
    handle(msg::ApReport, reportWith(-60, 3, {{0, textBytes("c")}})); // the last channel seen
    report(-60, 1, "", 3); // a known record keeps its channel, even an empty SSID replaces
    const auto list = records();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].channel, 0);
    EXPECT_EQ(std::string(list[0].ssid), "");
    EXPECT_EQ(list[1].channel, 11);
    EXPECT_EQ(list[2].channel, 11);
    EXPECT_EQ(std::string(list[2].ssid), "c");
}

} // namespace
} // namespace marlow
