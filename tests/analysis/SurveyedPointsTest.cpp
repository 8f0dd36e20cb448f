// Grouping loaded records into survey points.
#include "analysis/SurveyedPoints.h"

#include "SiteFixtures.h"

#include <gtest/gtest.h>

namespace marlow::analysis {
namespace {

TEST(SurveyedPoints, AdjacentRecordsAtOnePositionMakeOnePoint) {
    RecordList store;
    test::appendRecord(store, test::apRecord(5, 6, 1, -40, "lab", 6, "P1"));
    test::appendRecord(store, test::apRecord(5, 6, 2, -70, "guest", 11, "P1"));
    test::appendRecord(store, test::committedPlaceholder(9, 9));
    test::appendRecord(store, test::apRecord(5, 6, 3, -55, "lab", 1, "P3"));

    const std::vector<SurveyedPoint> points = surveyedPoints(store);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0].name, "P1");
    ASSERT_EQ(points[0].heard.size(), 2u);
    EXPECT_EQ(points[0].heard[1].ssid, "guest");
    EXPECT_EQ(points[0].heard[1].channel, 11);
    EXPECT_EQ(points[0].heard[1].rssi, -70);
    EXPECT_EQ(points[0].heard[1].mac, (MacAddress{0, 0x11, 0, 0, 0, 2}));
    // A placeholder is a point where nothing was heard.
    EXPECT_EQ(points[1].x, 9);
    EXPECT_TRUE(points[1].heard.empty());
    // A return to an earlier position is a point of its own.
    EXPECT_EQ(points[2].name, "P3");
    EXPECT_EQ(points[2].heard.size(), 1u);
}

} // namespace
} // namespace marlow::analysis
