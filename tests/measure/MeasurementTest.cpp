// Committing scans, selecting the nearest point and removing it.
#include "measure/Measurement.h"

#include "SiteFixtures.h"

#include <array>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace marlow {
namespace {

using test::appendRecord;
using test::apRecord;
using Lines = std::vector<std::string>;

// Scans as (MAC tail, RSSI sum, samples) per access point heard, committed
// at (40, 50): the records stored, in the scan list's order, with averages
// rounded toward zero; the best RSSI never below its floor; a scan that
// heard nothing stores one placeholder and counts a location only.
TEST(Commit, StoresTheScanAtThePointOrOnePlaceholder) {
    const std::tuple<std::vector<std::array<int, 3>>, Lines, int> cases[] = {
        {{{1, -70, 1}, {2, -121, 2}, {3, -95 * 5000, 5000}, {4, -50, 1}}, // beyond 16-bit sums
         {"TEST 40,50 001100000003 6 -95 lab", "TEST 40,50 001100000002 6 -60 lab",
          "TEST 40,50 001100000001 6 -70 lab", "TEST 40,50 001100000004 6 -50 lab"},
         -50},
        {{{1, -93, 1}}, {"TEST 40,50 001100000001 6 -93 lab"}, -90},
        {{}, {"FILL 40,50 000000000000 0 0 FILL"}, -90},
    };
    for (const auto& [scanned, stored, best] : cases) {
        SiteState site;
        SharedRecordList scan;
        RecordList store;
        startMeasurement(site, scan, 40, 50, TakenPointName);
        for (const auto& [macTail, rssiSum, samples] : scanned) {
            SurveyRecord r = apRecord(0, 0, static_cast<std::uint8_t>(macTail), 0);
            r.rssi = rssiSum;
            r.sampleCount = samples;
            scan.withLock([&](RecordList& list) {
                RecordNode* node = nullptr;
                ASSERT_EQ(list.newNode(node, r), RecordList::Ok);
                list.insertOrdered(node);
            });
        }
        EXPECT_EQ(commitScan(site, scan, store), !scanned.empty());
        EXPECT_EQ(test::describe(store), stored);
        EXPECT_EQ(std::tuple(site.lastBestRssi, site.locationCount, site.apRecordCount),
                  std::tuple(best, 1, static_cast<int>(scanned.size())));
    }
}

// The selection as "first index x,y count best MAC SSID".
std::string selection(const SiteState& s) {
    return std::to_string(s.selFirstIndex) + " " + std::to_string(int(s.selX)) + "," +
           std::to_string(int(s.selY)) + " " + std::to_string(s.selApCount) + " " +
           std::to_string(s.selBestRssi) + " " + s.selBestMacText + " " + s.selBestSsid;
}

// The stored records, the tap, and the selection, or "" when nothing lies
// within the radius (squared distance 3200) and nothing changes.
TEST(Select, TheNearestRunWithinTheRadiusWithItsStrongestAccessPoint) {
    const std::tuple<std::vector<SurveyRecord>, std::pair<int, int>, std::string> cases[] = {
        // The earlier of equally strong access points stays the strongest.
        {{apRecord(10, 10, 1, -70), apRecord(100, 100, 2, -80, "a"),
          apRecord(100, 100, 3, -45, "strong"), apRecord(100, 100, 4, -45, "later"),
          apRecord(300, 300, 5, -30)},
         {110, 95},
         "2 100,100 3 -45 001100000003 strong"},
        {{apRecord(100, 100, 1, -50)}, {140, 140}, "1 100,100 1 -50 001100000001 lab"},
        {{apRecord(100, 100, 1, -50)}, {141, 139}, ""}, // 41^2 + 39^2 = 3202
        {{apRecord(100, 100, 1, -50)}, {140, 141}, ""},
        {{apRecord(10, 0, 1, -50), apRecord(-10, 0, 2, -50)},
         {0, 0},
         "1 10,0 1 -50 001100000001 lab"},
        {{test::committedPlaceholder(5, 5)}, {5, 5}, "1 5,5 1 0 000000000000 FILL"},
        // A point of only very weak records has no strongest access point.
        {{apRecord(5, 5, 1, -125)}, {5, 5}, "1 5,5 1 -120  "},
    };
    for (const auto& [records, tap, expected] : cases) {
        SiteState site;
        site.selFirstIndex = 77;
        RecordList store;
        for (const SurveyRecord& r : records)
            appendRecord(store, r);
        const std::string before = selection(site);
        EXPECT_EQ(selectNearestPoint(site, store, tap.first, tap.second), !expected.empty());
        EXPECT_EQ(selection(site), expected.empty() ? before : expected);
    }
}

TEST(Select, RemovingTheSelectionRemovesExactlyItsRunAndKeepsTheCounters) {
    SiteState site;
    site.locationCount = 3;
    site.apRecordCount = 4;
    RecordList store;
    for (const SurveyRecord& r : {apRecord(10, 10, 1, -70), apRecord(100, 100, 2, -80),
                                  apRecord(100, 100, 3, -45), apRecord(10, 10, 4, -30)})
        appendRecord(store, r);
    ASSERT_TRUE(selectNearestPoint(site, store, 100, 100));
    removeSelectedPoint(site, store);
    EXPECT_EQ(test::describe(store),
              (Lines{"TEST 10,10 001100000001 6 -70 lab", "TEST 10,10 001100000004 6 -30 lab"}));
    EXPECT_EQ(std::pair(site.locationCount, site.apRecordCount), std::pair(3, 4));
}

TEST(Select, SelectionAndRemovalWorkPastSixteenBitPositions) {
    SiteState site;
    RecordList store;
    for (int i = 0; i < 40000; ++i)
        appendRecord(store, apRecord(i, 0, 1, -60));
    ASSERT_TRUE(selectNearestPoint(site, store, 39990, 0));
    EXPECT_EQ(site.selFirstIndex, 39991);
    removeSelectedPoint(site, store);
    EXPECT_EQ(store.size(), 39999u);
    ASSERT_TRUE(selectNearestPoint(site, store, 39990, 0));
    EXPECT_NE(site.selX, 39990.0);
}

} // namespace
} // namespace marlow
