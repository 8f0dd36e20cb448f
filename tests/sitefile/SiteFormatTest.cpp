// Stored record layouts: the RSSI encoding and the fixed text fields.
#include "sitefile/SiteFormat.h"

#include "SiteFixtures.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace marlow {
namespace {

using test::apRecord;

struct RssiCase {
    std::uint8_t low;
    std::uint8_t high;
    std::int16_t dbm;
};

void PrintTo(const RssiCase& c, std::ostream* os) {
    *os << c.dbm << " dBm";
}

class StoredRssi : public ::testing::TestWithParam<RssiCase> {};

// Stored RSSI is dBm times 256; loading divides and rounds toward zero.
TEST_P(StoredRssi, LoadsDividedBy256TowardZero) {
    std::uint8_t bytes[StoredApRecordSize] = {6, GetParam().low, GetParam().high};
    SurveyRecord r;
    decodeApRecord(bytes, r);
    EXPECT_EQ(r.rssi, GetParam().dbm);
}

INSTANTIATE_TEST_SUITE_P(Values, StoredRssi,
                         ::testing::Values(RssiCase{0x00, 0xC4, -60},  // -60 * 256
                                           RssiCase{0x01, 0xC4, -59},  // -15,359
                                           RssiCase{0xFF, 0xFF, 0},    // -1
                                           RssiCase{0x00, 0x80, -128}, //
                                           RssiCase{0x00, 0x05, 5}));

TEST(StoredAp, RssiIsWrittenAsDbmTimes256) {
    std::uint8_t bytes[StoredApRecordSize];
    encodeApRecord(bytes, apRecord(0, 0, 0x55, -60));
    EXPECT_EQ(bytes[1], 0x00);
    EXPECT_EQ(bytes[2], 0xC4);
    encodeApRecord(bytes, apRecord(0, 0, 0x55, -100));
    EXPECT_EQ(bytes[2], 0x9C);
}

TEST(StoredAp, ThirtyTwoCharacterSsidFillsTheFieldAndLoadsWhole) {
    const std::string ssid(32, 'S');
    std::uint8_t bytes[StoredApRecordSize];
    encodeApRecord(bytes, apRecord(0, 0, 1, -50, ssid));
    EXPECT_EQ(std::memcmp(bytes + 9, ssid.data(), 32), 0);

    SurveyRecord loaded;
    decodeApRecord(bytes, loaded);
    EXPECT_EQ(textOf(loaded.ssid), ssid);
    EXPECT_STREQ(loaded.macText, "001100000001");
}

TEST(StoredAp, LongerSsidIsCutAndShorterOneLeavesNoOldBytes) {
    std::uint8_t bytes[StoredApRecordSize];
    encodeApRecord(bytes, apRecord(0, 0, 1, -50, std::string(100, 'L')));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes + 9), 32), std::string(32, 'L'));
    encodeApRecord(bytes, apRecord(0, 0, 1, -50, "ab"));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes + 9), 32),
              std::string("ab") + std::string(30, '\0'));
}

TEST(StoredPoint, NameRoundTripsUpToTheWholeField) {
    std::uint8_t bytes[StoredPointRecordSize];
    SurveyRecord r = apRecord(-5, 70000, 1, -50);
    setText(r.pointName, std::string(32, 'N'));
    encodePointRecord(bytes, r, 513);
    const StoredPoint point = decodePointRecord(bytes);
    EXPECT_EQ(point.x, -5);
    EXPECT_EQ(point.y, 70000);
    EXPECT_EQ(point.apCount, 513);
    EXPECT_EQ(textOf(point.name), std::string(32, 'N'));

    setText(r.pointName, "P1");
    encodePointRecord(bytes, r, 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes + 8), 32),
              std::string("P1") + std::string(30, '\0'));
}

struct LayoutCase {
    const char* what;
    SiteLayout layout;
    bool fits;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.what;
}

class RegionLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(RegionLayout, RegionsMustNotOverlap) {
    EXPECT_EQ(!checkLayout(GetParam().layout).has_value(), GetParam().fits) << GetParam().what;
}

// header 150, bitmap at 150 of 1078 + 1000 bytes, signature right after it.
INSTANTIATE_TEST_SUITE_P(
    Cases, RegionLayout,
    ::testing::Values(LayoutCase{"usual order", {150, 150, 2078, 2228, 82228}, true},
                      LayoutCase{"gaps between regions", {150, 200, 2078, 3000, 90000}, true},
                      LayoutCase{"signature before the plan", {150, 80150, 2078, 150, 82228}, true},
                      LayoutCase{"long header", {300, 300, 2078, 2378, 82378}, true},
                      LayoutCase{"short header", {100, 150, 2078, 2228, 82228}, false},
                      LayoutCase{"plan inside the header", {300, 200, 2078, 2378, 82378}, false},
                      LayoutCase{"signature on the plan", {150, 150, 2078, 2000, 82228}, false},
                      LayoutCase{"signature in the header", {150, 80150, 2078, 100, 82228}, false},
                      LayoutCase{"signature past data", {150, 150, 2078, 2228, 82227}, false},
                      LayoutCase{"data inside the plan", {150, 150, 2078, 90000, 2000}, false}));

} // namespace
} // namespace marlow
