// Committing scans, selecting the nearest point and removing it.
#include "measure/Measurement.h"

#include "SiteFixtures.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace marlow {
namespace {

using test::appendRecord;
using test::apRecord;

// A scan-list record after `samples` sightings summing to rssiSum.
void heard(SharedRecordList& scan, std::uint8_t macTail, int rssiSum, int samples,
           const std::string& ssid = "lab") {
    SurveyRecord r = apRecord(0, 0, macTail, 0, ssid);
    r.rssi = rssiSum;
    r.sampleCount = samples;
    scan.withLock([&](RecordList& list) {
        RecordNode* node = nullptr;
        ASSERT_EQ(list.newNode(node), RecordList::Ok);
        node->record = r;
        list.insertOrdered(node);
    });
}

class Measure : public ::testing::Test {
protected:
    void SetUp() override { startMeasurement(site, scan, 40, 50, TakenPointName); }

    std::vector<int> storedRssi() const {
        std::vector<int> out;
        for (const SurveyRecord& r : store)
            out.push_back(r.rssi);
        return out;
    }

    SiteState site;
    SharedRecordList scan;
    RecordList store;
};

TEST_F(Measure, CommitStoresTheScanInListOrderWithAverages) {
    heard(scan, 1, -70, 1);
    heard(scan, 2, -50, 1);
    heard(scan, 3, -60, 1);
    EXPECT_TRUE(commitScan(site, scan, store));
    EXPECT_EQ(storedRssi(), (std::vector<int>{-70, -60, -50}));
    for (const SurveyRecord& r : store) {
        EXPECT_EQ(r.x, 40);
        EXPECT_EQ(r.y, 50);
        EXPECT_STREQ(r.pointName, "TEST");
        EXPECT_STREQ(r.ssid, "lab");
    }
    EXPECT_EQ(site.lastBestRssi, -50);
    EXPECT_EQ(site.locationCount, 1);
    EXPECT_EQ(site.apRecordCount, 3);
}

TEST_F(Measure, AverageRoundsTowardZeroAndStaysRightForLongScans) {
    heard(scan, 1, -121, 2);
    heard(scan, 2, -95 * 5000, 5000); // far beyond what a 16-bit sum holds
    commitScan(site, scan, store);
    EXPECT_EQ(storedRssi(), (std::vector<int>{-95, -60}));
}

TEST_F(Measure, WeakPointKeepsTheBestRssiFloor) {
    heard(scan, 1, -93, 1);
    commitScan(site, scan, store);
    EXPECT_EQ(site.lastBestRssi, -90);
}

TEST_F(Measure, ScanThatHeardNothingStoresOnePlaceholder) {
    EXPECT_FALSE(commitScan(site, scan, store));
    ASSERT_EQ(store.size(), 1u);
    const SurveyRecord& r = *store.begin();
    EXPECT_EQ(r.channel, 0);
    EXPECT_EQ(r.rssi, 0);
    EXPECT_STREQ(r.pointName, "FILL");
    EXPECT_STREQ(r.ssid, "FILL");
    EXPECT_STREQ(r.macText, "000000000000");
    EXPECT_EQ(r.x, 40);
    EXPECT_EQ(site.locationCount, 1);
    EXPECT_EQ(site.apRecordCount, 0);
    EXPECT_EQ(site.lastBestRssi, -90);
}

TEST_F(Measure, SelectsTheNearestRunAndSummarisesIt) {
    appendRecord(store, apRecord(10, 10, 1, -70));
    appendRecord(store, apRecord(100, 100, 2, -80, "a"));
    appendRecord(store, apRecord(100, 100, 3, -45, "strong"));
    appendRecord(store, apRecord(100, 100, 4, -60, "b"));
    appendRecord(store, apRecord(300, 300, 5, -30));
    ASSERT_TRUE(selectNearestPoint(site, store, 110, 95));
    EXPECT_EQ(site.selFirstIndex, 2);
    EXPECT_EQ(site.selX, 100.0);
    EXPECT_EQ(site.selY, 100.0);
    EXPECT_EQ(site.selApCount, 3);
    EXPECT_EQ(site.selBestRssi, -45);
    EXPECT_STREQ(site.selBestSsid, "strong");
    EXPECT_STREQ(site.selBestMacText, "001100000003");
}

TEST_F(Measure, FarTapSelectsNothingAndChangesNothing) {
    appendRecord(store, apRecord(100, 100, 1, -50));
    site.selFirstIndex = 77;
    // 40^2 + 41^2 = 3281: beyond the radius though within the search bound.
    EXPECT_FALSE(selectNearestPoint(site, store, 140, 141));
    EXPECT_EQ(site.selFirstIndex, 77);
    // Exactly on the radius: 40^2 + 40^2 = 3200.
    EXPECT_TRUE(selectNearestPoint(site, store, 140, 140));
}

TEST_F(Measure, EqualDistancesSelectTheEarlierPoint) {
    appendRecord(store, apRecord(10, 0, 1, -50));
    appendRecord(store, apRecord(-10, 0, 2, -50));
    ASSERT_TRUE(selectNearestPoint(site, store, 0, 0));
    EXPECT_EQ(site.selX, 10.0);
}

TEST_F(Measure, PlaceholderCountsAsOneAccessPoint) {
    appendRecord(store, test::committedPlaceholder(5, 5));
    ASSERT_TRUE(selectNearestPoint(site, store, 5, 5));
    EXPECT_EQ(site.selApCount, 1);
    EXPECT_EQ(site.selBestRssi, 0);
    EXPECT_STREQ(site.selBestSsid, "FILL");
}

TEST_F(Measure, PointOfOnlyVeryWeakRecordsHasNoStrongestAccessPoint) {
    appendRecord(store, apRecord(5, 5, 1, -125));
    ASSERT_TRUE(selectNearestPoint(site, store, 5, 5));
    EXPECT_EQ(site.selBestRssi, -120);
    EXPECT_STREQ(site.selBestMacText, "");
    EXPECT_STREQ(site.selBestSsid, "");
}

TEST_F(Measure, RemovingASelectedPointRemovesExactlyItsRun) {
    appendRecord(store, apRecord(10, 10, 1, -70));
    appendRecord(store, apRecord(100, 100, 2, -80));
    appendRecord(store, apRecord(100, 100, 3, -45));
    appendRecord(store, apRecord(10, 10, 4, -30));
    site.locationCount = 3;
    site.apRecordCount = 4;
    ASSERT_TRUE(selectNearestPoint(site, store, 100, 100));
    removeSelectedPoint(site, store);
    EXPECT_EQ(storedRssi(), (std::vector<int>{-70, -30}));
    EXPECT_EQ(site.locationCount, 3);
    EXPECT_EQ(site.apRecordCount, 4);
}

TEST_F(Measure, SelectionAndRemovalWorkPastSixteenBitPositions) {
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
