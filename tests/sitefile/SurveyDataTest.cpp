// How the store becomes a survey data section under each writer's rules.
#include "sitefile/SurveyData.h"

#include "SiteFixtures.h"
#include "sitefile/ByteOrder.h"

#include <cstring>
#include <gtest/gtest.h>

namespace marlow {
namespace {

using test::appendRecord;
using test::apRecord;
using test::Bytes;
using test::committedPlaceholder;

// The point records of a data section as (x, y, apCount), and the channels of
// all access-point records, read back by walking the section.
struct Walked {
    std::vector<std::array<int, 3>> points;
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

TEST(SurveyData, EmptyStoreGivesOnlyTheRecordSizes) {
    RecordList store;
    for (SplitRule rule : {SplitRule::SaveSiteData, SplitRule::FullRewrite})
        EXPECT_EQ(encodeSurveyData(store, rule), (Bytes{0x2A, 0, 0, 0, 0x29, 0, 0, 0}));
}

TEST(SurveyData, OnePointWithOneAccessPointIsNinetyOneBytes) {
    RecordList store;
    test::RecordFields fields;
    fields.x = 100;
    fields.y = 200;
    fields.name = "TEST";
    const std::uint8_t mac[6] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    std::memcpy(fields.mac, mac, 6);
    fields.ssid = "lab";
    fields.channel = 6;
    fields.rssi = -60;
    appendRecord(store, test::makeRecord(fields));

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

TEST(SurveyData, SaveWritesAPlaceholderAsAPointOfItsOwnWithNoApRecord) {
    RecordList store;
    appendRecord(store, apRecord(10, 20, 1, -50));
    appendRecord(store, apRecord(10, 20, 2, -60));
    appendRecord(store, apRecord(10, 20, 3, -70));
    appendRecord(store, committedPlaceholder(10, 20));
    const Walked w = walk(encodeSurveyData(store, SplitRule::SaveSiteData));
    EXPECT_EQ(w.points, (std::vector<std::array<int, 3>>{{10, 20, 3}, {10, 20, 0}}));
    EXPECT_EQ(w.channels, (std::vector<int>{6, 6, 6}));
}

TEST(SurveyData, TwoPlaceholdersAtOnePlaceSplitOnlyUnderSave) {
    RecordList store;
    appendRecord(store, committedPlaceholder(5, 5));
    appendRecord(store, committedPlaceholder(5, 5));

    const Walked saved = walk(encodeSurveyData(store, SplitRule::SaveSiteData));
    EXPECT_EQ(saved.points, (std::vector<std::array<int, 3>>{{5, 5, 0}, {5, 5, 0}}));

    const Walked rewritten = walk(encodeSurveyData(store, SplitRule::FullRewrite));
    EXPECT_EQ(rewritten.points, (std::vector<std::array<int, 3>>{{5, 5, 2}}));
    EXPECT_EQ(rewritten.channels, (std::vector<int>{0, 0}));
}

TEST(SurveyData, APositionChangeStartsANewPointUnderBothRules) {
    RecordList store;
    appendRecord(store, apRecord(1, 1, 1, -50));
    appendRecord(store, apRecord(1, 2, 2, -50));
    appendRecord(store, apRecord(1, 2, 3, -50, "x", 11));
    appendRecord(store, apRecord(2, 2, 4, -50));
    for (SplitRule rule : {SplitRule::SaveSiteData, SplitRule::FullRewrite}) {
        const Walked w = walk(encodeSurveyData(store, rule));
        EXPECT_EQ(w.points, (std::vector<std::array<int, 3>>{{1, 1, 1}, {1, 2, 2}, {2, 2, 1}}));
        EXPECT_EQ(w.channels, (std::vector<int>{6, 6, 11, 6}));
    }
}

TEST(SurveyData, AccessPointAfterAPlaceholderAtItsPositionJoinsItUnderSave) {
    RecordList store;
    appendRecord(store, committedPlaceholder(3, 3));
    appendRecord(store, apRecord(3, 3, 1, -50));
    const Walked w = walk(encodeSurveyData(store, SplitRule::SaveSiteData));
    EXPECT_EQ(w.points, (std::vector<std::array<int, 3>>{{3, 3, 1}}));
}

TEST(SurveyData, RunLongerThanTheCountFieldContinuesInANewPointRecord) {
    RecordList store;
    for (int i = 0; i < 65536; ++i)
        appendRecord(store, apRecord(7, 7, static_cast<std::uint8_t>(i), -50));
    const Walked w = walk(encodeSurveyData(store, SplitRule::SaveSiteData));
    EXPECT_EQ(w.points, (std::vector<std::array<int, 3>>{{7, 7, 65535}, {7, 7, 1}}));
}

} // namespace
} // namespace marlow
