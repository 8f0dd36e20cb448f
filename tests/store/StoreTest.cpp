// The store: the record list's positions, results, ordered insertion and
// whole-list walks; record texts; the survey reset and the start of a
// measurement; the count of survey points.
#include "store/RecordList.h"
#include "store/SiteState.h"
#include "store/SurveyPoints.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace marlow {
namespace {

using Tags = std::vector<std::string>;

// Links in one record per rssi value, tagged "a", "b", ... in turn.
std::vector<RecordNode*> fill(RecordList& list, std::vector<std::int16_t> rssis,
                              bool ordered = false) {
    std::vector<RecordNode*> nodes;
    for (const std::int16_t rssi : rssis) {
        RecordNode* node = nullptr;
        EXPECT_EQ(list.newNode(node), RecordList::Ok);
        node->record.rssi = rssi;
        setText(node->record.ssid, std::string(1, static_cast<char>('a' + nodes.size() % 26)));
        ordered ? list.insertOrdered(node) : list.append(node);
        nodes.push_back(node);
    }
    return nodes;
}

// The tags in list order, found walking forwards or backwards.
Tags tags(const RecordList& list, bool backwards = false) {
    Tags out;
    for (auto it = list.begin(); !backwards && it != list.end(); ++it)
        out.emplace_back(textOf(it->ssid));
    for (auto it = list.end(); backwards && it != list.begin();)
        out.insert(out.begin(), std::string(textOf((--it)->ssid)));
    return out;
}

TEST(RecordList, PositionsAreOneBasedAndEndWithPastEnd) {
    RecordList list;
    RecordNode* node = reinterpret_cast<RecordNode*>(1);
    EXPECT_EQ(list.getAt(1, node), RecordList::PastEnd);
    EXPECT_EQ(node, nullptr);

    RecordNode* last = fill(list, {-1, -2, -3})[2];
    ASSERT_EQ(list.getAt(3, node), RecordList::Ok);
    EXPECT_EQ(node, last);
    EXPECT_EQ(list.getAt(4, node), RecordList::PastEnd);
    EXPECT_EQ(node, nullptr);
    // No position hands out the sentinel.
    EXPECT_EQ(list.getAt(0, node), RecordList::NotFound);
    EXPECT_EQ(list.getAt(-5, node), RecordList::NotFound);
    EXPECT_EQ(node, nullptr);

    std::string seen;
    for (int result = list.getAt(1, node); result == RecordList::Ok; result = list.next(node))
        seen += textOf(node->record.ssid);
    EXPECT_EQ(seen, "abc");
    EXPECT_EQ(node, nullptr);
}

TEST(RecordList, OrderedInsertionIsAscendingWithEqualsInArrivalOrder) {
    RecordList list;
    fill(list, {-60, -40, -80, -60}, true);
    EXPECT_EQ(tags(list), (Tags{"c", "a", "d", "b"}));

    // Any other sort key appends.
    RecordList other;
    other.sortKey = 1;
    fill(other, {-60, -90, -30}, true);
    EXPECT_EQ(tags(other), (Tags{"a", "b", "c"}));
}

TEST(RecordList, RemovingFirstMiddleAndLastKeepsBothDirectionsWalkable) {
    RecordList list;
    const std::vector<RecordNode*> nodes = fill(list, {0, 0, 0, 0, 0});
    list.remove(nodes[2]);
    EXPECT_EQ(tags(list), (Tags{"a", "b", "d", "e"}));
    list.remove(nodes[0]);
    list.remove(nodes[4]);
    EXPECT_EQ(tags(list), (Tags{"b", "d"}));
    EXPECT_EQ(tags(list, true), (Tags{"b", "d"}));
    EXPECT_EQ(list.size(), 2u);
    EXPECT_EQ(textOf(list.erase(list.begin())->ssid), "d");
    EXPECT_EQ(tags(list, true), (Tags{"d"}));
}

TEST(RecordList, FindByMacMatchesExactTextOnly) {
    RecordList list;
    RecordNode* found = nullptr;
    EXPECT_EQ(list.findByMac("001A2B3C4D5E", found), RecordList::NotFound);
    RecordNode* node = fill(list, {0})[0];
    const std::uint8_t mac[6] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
    formatMacText(node->record.macText, mac);
    EXPECT_EQ(std::pair(list.findByMac("001A2B3C4D5E", found), found),
              std::pair(RecordList::Ok, node));
    EXPECT_EQ(list.findByMac("001a2b3c4d5e", found), RecordList::NotFound);
    EXPECT_EQ(list.findByMac("001A2B3C4D", found), RecordList::NotFound);
}

// The index must answer as the walk does (the first equal text in list
// order) through insertions ahead of and behind equals, removals of the
// indexed record, clearing and swapping.
TEST(RecordList, AnIndexedListFindsWhatTheWalkFinds) {
    RecordList walked;
    RecordList indexed;
    indexed.indexByMac();
    RecordList spare;
    std::mt19937 random(11);
    std::uniform_int_distribution<int> pick(0, 99);
    std::uniform_int_distribution<int> mac(0, 7);
    std::uniform_int_distribution<int> rssi(-90, -30);
    int serial = 0;
    for (int step = 0; step < 3000; ++step) {
        const int action = pick(random);
        if (action < 60) {
            SurveyRecord r;
            setText(r.macText, "00000000000" + std::to_string(mac(random)));
            r.rssi = static_cast<std::int16_t>(rssi(random));
            setText(r.ssid, std::to_string(++serial));
            for (RecordList* list : {&walked, &indexed}) {
                RecordNode* node = nullptr;
                ASSERT_EQ(list->newNode(node, r), RecordList::Ok);
                list->insertOrdered(node);
            }
        } else if (action < 95 && !walked.empty()) {
            const auto at = static_cast<std::int16_t>(1 + pick(random) % walked.size());
            for (RecordList* list : {&walked, &indexed}) {
                RecordNode* node = nullptr;
                ASSERT_EQ(list->getAt(at, node), RecordList::Ok);
                list->remove(node);
            }
        } else if (action < 97) {
            walked.clear();
            indexed.clear();
        } else {
            // Out and back: the index travels with its records.
            indexed.swap(spare);
            spare.swap(indexed);
        }
        for (int m = 0; m < 8; ++m) {
            const std::string text = "00000000000" + std::to_string(m);
            RecordNode* viaWalk = nullptr;
            RecordNode* viaIndex = nullptr;
            walked.findByMac(text.c_str(), viaWalk);
            indexed.findByMac(text.c_str(), viaIndex);
            ASSERT_EQ(viaWalk ? textOf(viaWalk->record.ssid) : "",
                      viaIndex ? textOf(viaIndex->record.ssid) : "")
                << "step " << step << ", " << text;
        }
    }
}

TEST(RecordList, WalksAndCountsPastSixteenBitPositions) {
    RecordList list;
    constexpr int Count = 40000;
    fill(list, std::vector<std::int16_t>(Count, -50));
    EXPECT_EQ(list.size(), static_cast<std::size_t>(Count));
    EXPECT_EQ(std::distance(list.begin(), list.end()), Count);
    RecordNode* node = nullptr;
    EXPECT_EQ(list.getAt(32767, node), RecordList::Ok);
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.begin(), list.end());
}

TEST(SurveyRecordText, FieldsAreCutToFitAndZeroedBehindTheText) {
    SurveyRecord r;
    setText(r.ssid, std::string(200, 'w'));
    EXPECT_EQ(textOf(r.ssid), std::string(sizeof r.ssid - 1, 'w'));
    setText(r.ssid, "lab");
    EXPECT_EQ(std::string(r.ssid, sizeof r.ssid), "lab" + std::string(sizeof r.ssid - 3, '\0'));
}

TEST(SiteState, ResetEmptiesTheStoreAndMeasurementStartEmptiesTheScan) {
    SiteState site;
    RecordList store;
    SharedRecordList scan;
    ASSERT_EQ(store.appendCopy(SurveyRecord{}), RecordList::Ok);
    scan.withLock(
        [](RecordList& list) { ASSERT_EQ(list.appendCopy(SurveyRecord{}), RecordList::Ok); });
    site.locationCount = 4;
    site.apRecordCount = 9;
    resetSurvey(site, store);
    EXPECT_EQ(std::tuple(store.size(), site.locationCount, site.apRecordCount),
              std::tuple(0u, 0, 0));

    startMeasurement(site, scan, 120, -7, std::string(50, 'n'));
    EXPECT_EQ(std::tuple(site.newX, site.newY, textOf(site.newName)),
              std::tuple(120, -7, std::string(32, 'n')));
    EXPECT_TRUE(scan.withLock([](const RecordList& list) { return list.empty(); }));
}

// A point is a run of adjacent records at one position: a return to an
// earlier position is a point of its own, and a move in either coordinate
// ends a run.
TEST(SurveyPoints, EachRunOfAdjacentRecordsAtOnePositionIsOnePoint) {
    using Positions = std::vector<std::pair<std::int32_t, std::int32_t>>;
    const std::pair<Positions, std::size_t> cases[] = {
        {{}, 0},
        {{{5, 5}}, 1},
        {{{5, 5}, {5, 5}, {5, 5}}, 1},
        {{{5, 5}, {5, 6}, {6, 6}}, 3},
        {{{5, 5}, {7, 7}, {5, 5}}, 3},
        {{{0, 0}, {0, 0}, {-1, 0}, {-1, 0}, {0, 0}}, 3},
    };
    for (const auto& [positions, points] : cases) {
        RecordList store;
        for (const auto& [x, y] : positions) {
            SurveyRecord record;
            record.x = x;
            record.y = y;
            ASSERT_EQ(store.appendCopy(record), RecordList::Ok);
        }
        EXPECT_EQ(surveyPointCount(store), points) << positions.size();
    }
}

} // namespace
} // namespace marlow
