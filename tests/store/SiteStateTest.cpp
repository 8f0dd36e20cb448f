// The survey reset and the start of a measurement.
#include "store/SiteState.h"

#include <gtest/gtest.h>
#include <string>

namespace marlow {
namespace {

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

} // namespace
} // namespace marlow
