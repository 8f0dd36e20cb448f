// Access-point reports: decoding (transmitter, RSSI, the element walk and its
// limits on malformed reports) and the scan list they build (ordered
// insertion, sums, SSID and channel rules).
#include "link/ApReport.h"

#include "LinkTestSupport.h"
#include "link/Messages.h"
#include "store/SharedRecordList.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace marlow {
namespace {

using test::Bytes;

Bytes ssidBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

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

TEST(ApReportDecoding, TakesRssiAndTheTransmitterAtCaptureOffset14) {
    BeaconCapture beacon;
    beacon.rssi = -71;
    beacon.transmitter = {0x0A, 0xBC, 0x11, 0x00, 0xFE, 0x5D};
    const auto decoded = decodeApReport(buildApReport(beacon));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->rssi, -71);
    EXPECT_EQ(std::string(decoded->macText), "0ABC1100FE5D");
    EXPECT_EQ(decoded->macAddr[5], 0x5D);
}

TEST(ApReportDecoding, WalksOnlyPastTheSkippedElementIds) {
    for (int id = 0; id < 256; ++id) {
        const auto decoded = decodeApReport(test::reportWith(
            -60, 1, {{static_cast<std::uint8_t>(id), {0x09}}, {0, ssidBytes("net")}}));
        ASSERT_TRUE(decoded);
        const bool walkGoesOn = id <= 6 || id == 16;
        EXPECT_EQ(std::string(decoded->ssidText()), walkGoesOn ? "net" : "") << "id " << id;
    }
}

TEST(ApReportDecoding, Id7EndsTheWalkBeforeTheElementsAfterIt) {
    const auto decoded = decodeApReport(
        test::reportWith(-60, 1, {{7, {'G', 'B', ' '}}, {0, ssidBytes("net")}, {3, {6}}}));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->ssidText(), "");
    EXPECT_FALSE(decoded->channel);
}

TEST(ApReportDecoding, KeepsTheFirst32BytesOfALongSsidAndTheLatestSsidElement) {
    EXPECT_EQ(ssidOf(test::reportWith(-60, 1, {{0, ssidBytes(std::string(40, 's'))}})),
              std::string(32, 's'));
    EXPECT_EQ(ssidOf(test::reportWith(-60, 1,
                                      {{0, ssidBytes(std::string(32, 'l'))}, {0, ssidBytes("b")}})),
              "b");
}

TEST(ApReportDecoding, ReadsTheChannelFromTheDsParameterSet) {
    const auto decoded = decodeApReport(test::beaconReport(-60, 1, "lab", 11));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->channel, 11);
    // An empty DS element has no channel to give.
    EXPECT_FALSE(decodeApReport(test::reportWith(-60, 1, {{3, {}}}))->channel);
}

struct MalformedCase {
    const char* name;
    Bytes payload;
    std::string ssid; // "<dropped>" when the report is refused
};

TEST(ApReportDecoding, StaysInsideMalformedReports) {
    const Bytes good = test::reportWith(-60, 1, {{3, {6}}, {0, ssidBytes("net")}});
    const std::size_t n = good.size() - report::CaptureOffset;
    Bytes truncated = good;
    truncated.resize(report::CaptureOffset + 45);
    Bytes trailing = withDeclaredLength(good, n - 5);
    const Bytes bare = test::reportWith(-60, 1, {});
    Bytes missingLength = test::reportWith(-60, 1, {{0, ssidBytes("ok")}});
    missingLength.push_back(1);
    missingLength = withDeclaredLength(missingLength, missingLength.size() - report::CaptureOffset);

    const MalformedCase cases[] = {
        {"shorter than the report header", {0x00, 0xC4, 0x30}, "<dropped>"},
        {"N below the fixed part", withDeclaredLength(good, 39), "<dropped>"},
        {"N of zero", withDeclaredLength(good, 0), "<dropped>"},
        {"capture present only in part",
         Bytes(good.begin(), good.begin() + report::CaptureOffset + 39), "<dropped>"},
        {"N exactly the fixed part", bare, ""},
        {"N beyond the payload: walk what is there", withDeclaredLength(good, 3000), "net"},
        {"SSID cut off by the end of the payload", truncated, ""},
        {"SSID cut off by N", trailing, ""},
        {"length byte missing", missingLength, "ok"},
    };
    for (const MalformedCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ssidOf(c.payload), c.ssid);
    }
    // What the walk read before an element that runs past the area counts.
    EXPECT_EQ(decodeApReport(truncated)->channel, 6);
}

// A report whose SSID element "far" starts `offset` bytes into the element
// area, after skipped elements that fill the bytes before it.
Bytes ssidAt(std::size_t offset) {
    std::vector<InfoElement> elements;
    for (std::size_t remaining = offset; remaining >= 2;) {
        std::size_t length = std::min<std::size_t>(remaining - 2, 255);
        if (remaining - length - 2 == 1)
            length -= 1;
        elements.push_back({1, Bytes(length, 0x82)});
        remaining -= length + 2;
    }
    elements.push_back({0, ssidBytes("far")});
    return test::reportWith(-60, 1, elements);
}

TEST(ApReportDecoding, WalksAtMost2048BytesOfElements) {
    EXPECT_EQ(ssidOf(ssidAt(1000)), "far");
    // The element ends exactly at the 2048th byte of the area (N = 2088).
    EXPECT_EQ(ssidOf(ssidAt(2043)), "far");
    // One byte further it runs past the area, although all of it is present.
    EXPECT_EQ(ssidOf(ssidAt(2044)), "");
    EXPECT_EQ(ssidOf(ssidAt(3000)), "");
}

class ScanListBuildingTest : public ::testing::Test {
protected:
    void report(std::int8_t rssi, std::uint8_t ap, const std::string& ssid = "net",
                std::uint8_t channel = 6) {
        handle(test::beaconReport(rssi, ap, ssid, channel));
    }
    void handle(const Bytes& payload) {
        link.handleMessage(msg::ApReport, payload.data(),
                           static_cast<std::uint16_t>(payload.size()));
    }
    std::vector<SurveyRecord> records() const {
        return scanList.withLock([](const RecordList& list) {
            return std::vector<SurveyRecord>(list.begin(), list.end());
        });
    }

    test::CountingEvents events;
    SharedRecordList scanList;
    AnalyzerLink link{events, scanList};
};

TEST_F(ScanListBuildingTest, InsertsInAscendingRssiAfterEqualRecords) {
    report(-60, 1);
    report(-40, 2);
    report(-80, 3);
    report(-60, 4);
    std::vector<std::string> order;
    for (const SurveyRecord& r : records())
        order.emplace_back(r.macText);
    EXPECT_EQ(order, (std::vector<std::string>{"001122334403", "001122334401", "001122334404",
                                               "001122334402"}));
}

TEST_F(ScanListBuildingTest, SumsSamplesWithoutMovingTheRecord) {
    report(-60, 1);
    report(-70, 2);
    report(-62, 1);
    const auto list = records();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(std::string(list[1].macText), "001122334401");
    EXPECT_EQ(list[1].rssi, -122);
    EXPECT_EQ(list[1].sampleCount, 2);
}

TEST_F(ScanListBuildingTest, KeepsTheSumRightBeyond16Bits) {
    for (int i = 0; i < 600; ++i)
        report(-60, 1);
    const auto list = records();
    EXPECT_EQ(list[0].rssi, -36000);
    EXPECT_EQ(list[0].rssi / list[0].sampleCount, -60);
}

TEST_F(ScanListBuildingTest, ALaterSightingReplacesTheSsidEvenWithAnEmptyOne) {
    report(-60, 1, "first");
    EXPECT_EQ(std::string(records()[0].ssid), "first");
    report(-60, 1, "");
    EXPECT_EQ(std::string(records()[0].ssid), "");
}

TEST_F(ScanListBuildingTest, TakesTheChannelOfTheLatestReportThatHadOne) {
    handle(test::reportWith(-60, 1, {{0, ssidBytes("a")}}));
    report(-60, 2, "b", 11);
    handle(test::reportWith(-60, 3, {{0, ssidBytes("c")}}));
    report(-60, 1, "a", 3); // a known record keeps its channel
    const auto list = records();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].channel, 0);
    EXPECT_EQ(list[1].channel, 11);
    EXPECT_EQ(list[2].channel, 11);
}

TEST_F(ScanListBuildingTest, DropsReportsWithoutATransmitterAddress) {
    handle(withDeclaredLength(test::beaconReport(-60, 1, "a", 1), 20));
    handle({});
    EXPECT_TRUE(records().empty());
    EXPECT_EQ(events.draws, 2);
}

} // namespace
} // namespace marlow
