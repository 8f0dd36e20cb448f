// The point dialog's lines: the summary of the selected point as the store
// and the selection produce it, and lines that cannot overrun their buffer.
#include "dialogs/PointInfoText.h"

#include "SiteFixtures.h"
#include "measure/Measurement.h"
#include "store/SharedRecordList.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace marlow {
namespace {

using test::appendRecord;
using test::apRecord;

struct LineCase {
    std::string name;
    std::string line;
    std::string expected;
};

class FormattedLines : public testing::TestWithParam<LineCase> {};

TEST_P(FormattedLines, AreExact) {
    EXPECT_EQ(GetParam().line, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FormattedLines,
    testing::Values(
        LineCase{"WholeX", xLine(120), "X: 120.00"}, LineCase{"WholeY", yLine(45), "Y: 45.00"},
        LineCase{"ZeroX", xLine(0), "X: 0.00"}, LineCase{"NegativeY", yLine(-7), "Y: -7.00"},
        LineCase{"RoundedX", xLine(2.345678), "X: 2.35"},
        LineCase{"OneAp", apCountLine(1), "AP's: 1"},
        LineCase{"Mac", macLine("001122AABBCC"), "MAC Address: 001122AABBCC"},
        LineCase{"EmptyMac", macLine(""), "MAC Address: "},
        LineCase{"Ssid", ssidLine("lab net"), "SSID: lab net"},
        LineCase{"EmptySsid", ssidLine(""), "SSID: "}, LineCase{"Rssi", rssiLine(-67), "RSSI: -67"},
        LineCase{"LowestRssi", rssiLine(INT32_MIN), "RSSI: -2147483648"}),
    [](const testing::TestParamInfo<LineCase>& lineCase) { return lineCase.param.name; });

TEST(FormattedLines, LongestSsidOfTheAirFitsWhole) {
    const std::string ssid(32, 'w');
    EXPECT_EQ(ssidLine(ssid), "SSID: " + ssid);
}

TEST(FormattedLines, OverlongTextIsCutToTheLinesSixtyThreeCharacters) {
    const std::string ssid(200, 's');
    const std::string line = ssidLine(ssid);
    EXPECT_EQ(line.size(), InfoLineSize - 1);
    EXPECT_EQ(line, "SSID: " + std::string(InfoLineSize - 1 - 6, 's'));
    EXPECT_EQ(macLine(std::string(200, 'A')).size(), InfoLineSize - 1);
}

TEST(FormattedLines, HugeCoordinateIsCutNotOverrun) {
    const std::string line = xLine(1e300);
    EXPECT_EQ(line.size(), InfoLineSize - 1);
    EXPECT_EQ(line.rfind("X: 1000000", 0), 0u);
}

class PointSummary : public testing::Test {
protected:
    PointInfoText select(std::int32_t x, std::int32_t y) {
        EXPECT_TRUE(selectNearestPoint(site, store, x, y));
        return pointInfoText(site);
    }

    SiteState site;
    RecordList store;
};

TEST_F(PointSummary, NormalPointShowsItsStrongestAccessPoint) {
    appendRecord(store, apRecord(10, 10, 0x09, -50, "elsewhere"));
    appendRecord(store, apRecord(120, 45, 0x01, -71, "lab"));
    appendRecord(store, apRecord(120, 45, 0x02, -58, "office"));
    // Equally strong but later in the store: the first one stays shown.
    appendRecord(store, apRecord(120, 45, 0x03, -58, "later"));
    appendRecord(store, apRecord(200, 45, 0x04, -30, "next"));

    const PointInfoText text = select(121, 44);
    EXPECT_EQ(text.x, "X: 120.00");
    EXPECT_EQ(text.y, "Y: 45.00");
    EXPECT_EQ(text.apCount, "AP's: 3");
    EXPECT_EQ(text.mac, "MAC Address: 001100000002");
    EXPECT_EQ(text.ssid, "SSID: office");
    EXPECT_EQ(text.rssi, "RSSI: -58");
}

TEST_F(PointSummary, PointWhereNothingWasHeardShowsItsPlaceholder) {
    SharedRecordList nothingHeard;
    site.newX = 30;
    site.newY = 40;
    ASSERT_FALSE(commitScan(site, nothingHeard, store));

    const PointInfoText text = select(30, 40);
    EXPECT_EQ(text.apCount, "AP's: 1");
    EXPECT_EQ(text.mac, "MAC Address: 000000000000");
    EXPECT_EQ(text.ssid, "SSID: FILL");
    EXPECT_EQ(text.rssi, "RSSI: 0");
}

TEST_F(PointSummary, PointOfOnlyVeryWeakRecordsShowsNoAccessPoint) {
    appendRecord(store, apRecord(5, 6, 0x01, -120, "faint"));
    appendRecord(store, apRecord(5, 6, 0x02, -125, "fainter"));

    const PointInfoText text = select(5, 6);
    EXPECT_EQ(text.apCount, "AP's: 2");
    EXPECT_EQ(text.mac, "MAC Address: ");
    EXPECT_EQ(text.ssid, "SSID: ");
    EXPECT_EQ(text.rssi, "RSSI: -120");
}

TEST(PointSummaryFields, UnterminatedFieldsAreReadOnlyToTheirEnd) {
    SiteState site;
    std::memset(site.selBestMacText, 'M', sizeof site.selBestMacText);
    std::memset(site.selBestSsid, 'S', sizeof site.selBestSsid);
    // What lies behind the SSID field must not show.
    site.header.fill('Z');

    const PointInfoText text = pointInfoText(site);
    EXPECT_EQ(text.mac, "MAC Address: " + std::string(sizeof site.selBestMacText, 'M'));
    EXPECT_EQ(text.ssid, "SSID: " + std::string(sizeof site.selBestSsid, 'S'));
}

} // namespace
} // namespace marlow
