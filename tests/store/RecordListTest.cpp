// RecordList: positions, results, ordered insertion and whole-list walks.
#include "store/RecordList.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace marlow {
namespace {

RecordNode* add(RecordList& list, std::int16_t rssi, const char* tag, bool ordered = false) {
    RecordNode* node = nullptr;
    EXPECT_EQ(list.newNode(node), RecordList::Ok);
    node->record.rssi = rssi;
    setText(node->record.ssid, tag);
    if (ordered)
        list.insertOrdered(node);
    else
        list.append(node);
    return node;
}

std::vector<std::string> tags(const RecordList& list) {
    std::vector<std::string> out;
    for (const SurveyRecord& r : list)
        out.emplace_back(textOf(r.ssid));
    return out;
}

std::vector<std::string> tagsBackwards(const RecordList& list) {
    std::vector<std::string> out;
    for (auto it = list.end(); it != list.begin();) {
        --it;
        out.emplace_back(textOf(it->ssid));
    }
    return out;
}

TEST(RecordList, EmptyListHasNothingToFind) {
    RecordList list;
    RecordNode* node = reinterpret_cast<RecordNode*>(1);
    EXPECT_EQ(list.getAt(1, node), RecordList::PastEnd);
    EXPECT_EQ(node, nullptr);
    EXPECT_EQ(list.findByMac("001122334455", node), RecordList::NotFound);
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.begin(), list.end());
}

TEST(RecordList, PositionsAreOneBasedAndEndWithPastEnd) {
    RecordList list;
    add(list, -1, "a");
    add(list, -2, "b");
    RecordNode* last = add(list, -3, "c");

    RecordNode* node = nullptr;
    ASSERT_EQ(list.getAt(3, node), RecordList::Ok);
    EXPECT_EQ(node, last);
    EXPECT_EQ(list.getAt(4, node), RecordList::PastEnd);
    EXPECT_EQ(node, nullptr);
    node = last;
    EXPECT_EQ(list.next(node), RecordList::PastEnd);
    EXPECT_EQ(node, nullptr);

    // No position hands out the sentinel.
    EXPECT_EQ(list.getAt(0, node), RecordList::NotFound);
    EXPECT_EQ(list.getAt(-5, node), RecordList::NotFound);
    EXPECT_EQ(node, nullptr);
}

TEST(RecordList, WalkByGetAtThenNextVisitsEveryNodeInOrder) {
    RecordList list;
    add(list, -1, "a");
    add(list, -2, "b");
    add(list, -3, "c");
    std::string seen;
    RecordNode* node = nullptr;
    for (int result = list.getAt(1, node); result == RecordList::Ok; result = list.next(node))
        seen += textOf(node->record.ssid);
    EXPECT_EQ(seen, "abc");
}

TEST(RecordList, OrderedInsertionIsAscendingWithEqualsInArrivalOrder) {
    RecordList list;
    add(list, -60, "first -60", true);
    add(list, -40, "-40", true);
    add(list, -80, "-80", true);
    add(list, -60, "second -60", true);
    EXPECT_EQ(tags(list), (std::vector<std::string>{"-80", "first -60", "second -60", "-40"}));
}

TEST(RecordList, OtherSortKeysAppend) {
    RecordList list;
    list.sortKey = 1;
    add(list, -60, "a", true);
    add(list, -90, "b", true);
    add(list, -30, "c", true);
    EXPECT_EQ(tags(list), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(RecordList, RemovingFirstMiddleAndLastKeepsBothDirectionsWalkable) {
    RecordList list;
    RecordNode* a = add(list, 0, "a");
    add(list, 0, "b");
    RecordNode* c = add(list, 0, "c");
    add(list, 0, "d");
    RecordNode* e = add(list, 0, "e");

    list.remove(c);
    EXPECT_EQ(tags(list), (std::vector<std::string>{"a", "b", "d", "e"}));
    list.remove(a);
    list.remove(e);
    EXPECT_EQ(tags(list), (std::vector<std::string>{"b", "d"}));
    EXPECT_EQ(tagsBackwards(list), (std::vector<std::string>{"d", "b"}));
    EXPECT_EQ(list.size(), 2u);
}

TEST(RecordList, EraseReturnsTheFollowingRecord) {
    RecordList list;
    add(list, 0, "a");
    add(list, 0, "b");
    add(list, 0, "c");
    auto it = list.erase(std::next(list.begin()));
    EXPECT_EQ(textOf(it->ssid), "c");
    EXPECT_EQ(tags(list), (std::vector<std::string>{"a", "c"}));
}

TEST(RecordList, FindByMacMatchesExactTextOnly) {
    RecordList list;
    RecordNode* node = add(list, 0, "x");
    const std::uint8_t mac[6] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
    formatMacText(node->record.macText, mac);
    EXPECT_STREQ(node->record.macText, "001A2B3C4D5E");

    RecordNode* found = nullptr;
    EXPECT_EQ(list.findByMac("001A2B3C4D5E", found), RecordList::Ok);
    EXPECT_EQ(found, node);
    EXPECT_EQ(list.findByMac("001a2b3c4d5e", found), RecordList::NotFound);
    EXPECT_EQ(list.findByMac("001A2B3C4D", found), RecordList::NotFound);
}

TEST(RecordList, WalksAndCountsPastSixteenBitPositions) {
    RecordList list;
    constexpr int Count = 40000;
    for (int i = 0; i < Count; ++i)
        add(list, static_cast<std::int16_t>(i % 100), "");
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
    EXPECT_EQ(textOf(r.ssid).size(), sizeof r.ssid - 1);
    setText(r.ssid, "lab");
    EXPECT_EQ(textOf(r.ssid), "lab");
    for (std::size_t i = 3; i < sizeof r.ssid; ++i)
        ASSERT_EQ(r.ssid[i], '\0') << "byte " << i;
}

} // namespace
} // namespace marlow
