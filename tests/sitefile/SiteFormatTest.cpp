// The site file's byte layouts: the stored records (the RSSI encoding, the
// fixed text fields), the survey data section under each writer's rules, and
// the placement of the file's regions.
#include "sitefile/SiteFormat.h"

#include "SiteFixtures.h"
#include "sitefile/ByteOrder.h"
#include "sitefile/SurveyData.h"

#include <gtest/gtest.h>
#include <string>

namespace marlow {
namespace {

using test::apRecord;
using test::Bytes;
using Points = std::vector<std::array<int, 3>>;

std::string field(const std::uint8_t* bytes) {
    return std::string(reinterpret_cast<const char*>(bytes), 32);
}

// Stored RSSI is dBm times 256; loading divides and rounds toward zero.
TEST(StoredAp, RssiIsDbmTimes256AndLoadsRoundedTowardZero) {
    // The stored low and high bytes, the dBm they load as, and whether a save
    // writes that dBm so.
    const std::tuple<std::uint8_t, std::uint8_t, std::int16_t, bool> cases[] = {
        {0x00, 0xC4, -60, true},  {0x01, 0xC4, -59, false}, // -15,359
        {0xFF, 0xFF, 0, false},                             // -1
        {0x00, 0x80, -128, true}, {0x00, 0x05, 5, true},    {0x00, 0x9C, -100, true},
    };
    for (const auto& [low, high, dbm, written] : cases) {
        std::uint8_t bytes[StoredApRecordSize] = {6, low, high};
        SurveyRecord r;
        decodeApRecord(bytes, r);
        EXPECT_EQ(r.rssi, dbm) << int{high} << " " << int{low};
        if (!written)
            continue;
        encodeApRecord(bytes, apRecord(0, 0, 0x55, dbm));
        EXPECT_EQ(bytes[1], low) << dbm;
        EXPECT_EQ(bytes[2], high) << dbm;
    }
}

// Texts longer than their fields are cut; the bytes after a shorter one are
// zeros, whatever the field held before.
TEST(StoredRecords, TextsFillTheirFieldsAtMostAndLeaveNoOldBytes) {
    std::uint8_t ap[StoredApRecordSize];
    encodeApRecord(ap, apRecord(0, 0, 1, -50, std::string(100, 'L')));
    EXPECT_EQ(field(ap + 9), std::string(32, 'L'));
    SurveyRecord loaded;
    decodeApRecord(ap, loaded);
    EXPECT_EQ(textOf(loaded.ssid), std::string(32, 'L'));
    EXPECT_STREQ(loaded.macText, "001100000001");
    encodeApRecord(ap, apRecord(0, 0, 1, -50, "ab"));
    EXPECT_EQ(field(ap + 9), std::string("ab") + std::string(30, '\0'));

    std::uint8_t point[StoredPointRecordSize];
    SurveyRecord r = apRecord(-5, 70000, 1, -50);
    setText(r.pointName, std::string(32, 'N'));
    encodePointRecord(point, r, 513);
    const StoredPoint stored = decodePointRecord(point);
    EXPECT_EQ(stored.x, -5);
    EXPECT_EQ(stored.y, 70000);
    EXPECT_EQ(stored.apCount, 513);
    EXPECT_EQ(textOf(stored.name), std::string(32, 'N'));
    setText(r.pointName, "P1");
    encodePointRecord(point, r, 0);
    EXPECT_EQ(field(point + 8), std::string("P1") + std::string(30, '\0'));
}

// The point records of a data section as (x, y, apCount), and the channels of
// all access-point records, read back by walking the section.
struct Walked {
    Points points;
    std::vector<int> channels;
};

Walked walk(const Bytes& data) {
    Walked w;
    std::size_t at = 8;
    while (at < data.size()) {
        const int count = readU16(&data[at + 40]);
        w.points.push_back({readI32(&data[at]), readI32(&data[at + 4]), count});
        at += 42;
        for (int i = 0; i < count; ++i, at += 41)
            w.channels.push_back(data.at(at));
    }
    EXPECT_EQ(at, data.size());
    return w;
}

Walked encode(const std::vector<SurveyRecord>& records, SplitRule rule) {
    RecordList store;
    for (const SurveyRecord& record : records)
        test::appendRecord(store, record);
    return walk(encodeSurveyData(store, rule));
}

TEST(SurveyData, OnePointWithOneAccessPointIsNinetyOneBytes) {
    RecordList store;
    for (SplitRule rule : {SplitRule::SaveSiteData, SplitRule::FullRewrite})
        EXPECT_EQ(encodeSurveyData(store, rule), (Bytes{0x2A, 0, 0, 0, 0x29, 0, 0, 0}));

    test::appendRecord(store, test::makeRecord({.x = 100,
                                                .y = 200,
                                                .name = "TEST",
                                                .mac = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55},
                                                .ssid = "lab",
                                                .channel = 6,
                                                .rssi = -60}));
    Bytes expected = {0x2A, 0,    0, 0, 0x29, 0,   0,   0,   0x64, 0, 0,
                      0,    0xC8, 0, 0, 0,    'T', 'E', 'S', 'T',  0};
    expected.resize(expected.size() + 27, 0); // the name field's unused bytes
    Bytes tail = {0x01, 0x00, 0x06, 0x00, 0xC4, 0x00, 0x11, 0x22,
                  0x33, 0x44, 0x55, 'l',  'a',  'b',  0};
    expected.insert(expected.end(), tail.begin(), tail.end());
    expected.resize(expected.size() + 28, 0);
    ASSERT_EQ(expected.size(), 91u);
    EXPECT_EQ(encodeSurveyData(store, SplitRule::SaveSiteData), expected);
}

TEST(SurveyData, SplitRulesOfBothWriters) {
    // A point ends where either coordinate changes.
    const std::vector<SurveyRecord> moving = {apRecord(1, 1, 1, -50), apRecord(1, 2, 2, -50),
                                              apRecord(1, 2, 3, -50, "x", 11),
                                              apRecord(2, 2, 4, -50)};
    for (SplitRule rule : {SplitRule::SaveSiteData, SplitRule::FullRewrite}) {
        const Walked w = encode(moving, rule);
        EXPECT_EQ(w.points, (Points{{1, 1, 1}, {1, 2, 2}, {2, 2, 1}}));
        EXPECT_EQ(w.channels, (std::vector<int>{6, 6, 11, 6}));
    }
    // Save Site Data writes a placeholder as a point of its own without an
    // access-point record; the full rewrite writes it as a record.
    const SurveyRecord placeholder = test::committedPlaceholder(5, 5);
    const Walked saved =
        encode({apRecord(5, 5, 1, -50), placeholder, placeholder}, SplitRule::SaveSiteData);
    EXPECT_EQ(saved.points, (Points{{5, 5, 1}, {5, 5, 0}, {5, 5, 0}}));
    EXPECT_EQ(saved.channels, (std::vector<int>{6}));
    const Walked rewritten =
        encode({apRecord(5, 5, 1, -50), placeholder, placeholder}, SplitRule::FullRewrite);
    EXPECT_EQ(rewritten.points, (Points{{5, 5, 3}}));
    EXPECT_EQ(rewritten.channels, (std::vector<int>{6, 0, 0}));
    // An access point after a placeholder at its position joins its point.
    EXPECT_EQ(encode({placeholder, apRecord(5, 5, 1, -50)}, SplitRule::SaveSiteData).points,
              (Points{{5, 5, 1}}));
}

TEST(SurveyData, RunLongerThanTheCountFieldContinuesInANewPointRecord) {
    std::vector<SurveyRecord> records;
    for (int i = 0; i < 65536; ++i)
        records.push_back(apRecord(7, 7, static_cast<std::uint8_t>(i), -50));
    EXPECT_EQ(encode(records, SplitRule::SaveSiteData).points, (Points{{7, 7, 65535}, {7, 7, 1}}));
}

// The reader's damaged-file table covers the usual overlaps; these are the
// placements that only a layout unlike the one the planning tool writes has.
TEST(SiteLayout, RegionsMustNotOverlap) {
    const std::tuple<const char*, SiteLayout, bool> cases[] = {
        {"signature before the plan", {150, 80150, 2078, 150, 82228}, true},
        {"short header", {100, 150, 2078, 2228, 82228}, false},
        {"plan inside a long header", {300, 200, 2078, 2378, 82378}, false},
        {"signature in the header", {150, 80150, 2078, 100, 82228}, false},
    };
    for (const auto& [what, layout, fits] : cases)
        EXPECT_EQ(!checkLayout(layout).has_value(), fits) << what;
}

} // namespace
} // namespace marlow
