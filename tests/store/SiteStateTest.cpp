// The survey reset and the start of a measurement.
#include "store/SiteState.h"

#include <gtest/gtest.h>
#include <string>

namespace marlow {
namespace {

void addRecord(RecordList& list) {
    RecordNode* node = nullptr;
    ASSERT_EQ(list.newNode(node), RecordList::Ok);
    list.append(node);
}

TEST(SiteState, ResetEmptiesTheStoreAndMeasurementStartEmptiesTheScan) {
    SiteState site;
    RecordList store;
    addRecord(store);
    site.locationCount = 4;
    site.apRecordCount = 9;
    resetSurvey(site, store);
    EXPECT_TRUE(store.empty());
    EXPECT_EQ(site.locationCount, 0);
    EXPECT_EQ(site.apRecordCount, 0);

    SharedRecordList scan;
    scan.withLock([](RecordList& list) { addRecord(list); });
    startMeasurement(site, scan, 120, -7, std::string(50, 'n'));
    EXPECT_EQ(site.newX, 120);
    EXPECT_EQ(site.newY, -7);
    EXPECT_EQ(textOf(site.newName), std::string(32, 'n'));
    EXPECT_TRUE(scan.withLock([](const RecordList& list) { return list.empty(); }));
}

} // namespace
} // namespace marlow
