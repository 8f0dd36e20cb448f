// Coverage maps estimated over generated surveys whose answers are known.
#include "analysis/Coverage.h"

#include "store/SurveyRecord.h"

#include <cmath>
#include <gtest/gtest.h>

namespace marlow::analysis {
namespace {

SurveyedPoint pointAt(std::int32_t x, std::int32_t y, std::vector<HeardAp> heard) {
    return {x, y, "P", std::move(heard)};
}

HeardAp lab(int rssi, int channel = 6, std::uint8_t macTail = 1, const std::string& ssid = "lab") {
    return {{0, 0x11, 0, 0, 0, macTail}, ssid, channel, rssi};
}

CoverageOptions withRadius(double radius, Metric metric = Metric::Signal) {
    CoverageOptions options;
    options.metric = metric;
    options.radius = radius;
    return options;
}

// The inverse-distance weighted mean of a at distance da and b at db.
double between(double a, double da, double b, double db) {
    return (a / (da * da) + b / (db * db)) / (1 / (da * da) + 1 / (db * db));
}

TEST(Coverage, TwoPointsGiveTheWeightedMeanBetweenThemAndNoDataBeyond) {
    const std::vector<SurveyedPoint> points = {pointAt(10, 10, {lab(-40)}),
                                               pointAt(30, 10, {lab(-80)})};
    const CoverageMap map = estimateCoverage(points, 60, 50, withRadius(25));
    ASSERT_EQ(map.values.size(), 60u * 50u);
    EXPECT_EQ(map.radius, 25);
    EXPECT_EQ(map.at(10, 10), -40);
    EXPECT_EQ(map.at(30, 10), -80);
    EXPECT_EQ(map.at(20, 10), -60);
    EXPECT_EQ(map.at(14, 10), std::lround(between(-40, 4, -80, 16)));
    EXPECT_EQ(map.at(20, 20), -60);
    // Only the first point is within the radius: its value, not a blend.
    EXPECT_EQ(map.at(0, 10), -40);
    // Beyond the radius of both: no data, not an extrapolation.
    EXPECT_EQ(map.at(10, 36), CoverageMap::NoData);
    EXPECT_EQ(map.at(56, 10), CoverageMap::NoData);
    EXPECT_EQ(map.at(59, 49), CoverageMap::NoData);
}

TEST(Coverage, PlaceholdersAndFilteredOutPointsMeasureNoSignal) {
    const std::vector<SurveyedPoint> points = {pointAt(5, 5, {lab(-50, 6, 1, "staff")}),
                                               pointAt(25, 5, {lab(-40, 6, 2, "guest")}),
                                               pointAt(45, 5, {})};
    CoverageOptions options = withRadius(4);
    options.filter.ssids = {"staff"};
    const CoverageMap map = estimateCoverage(points, 50, 10, options);
    EXPECT_EQ(map.at(5, 5), -50);
    EXPECT_EQ(map.at(25, 5), NoSignalRssi);
    EXPECT_EQ(map.at(45, 5), NoSignalRssi);
    EXPECT_EQ(map.at(15, 5), CoverageMap::NoData);
}

TEST(Coverage, CountsAreEstimatedAndRounded) {
    // Three others share channel 6 near the first point; none near the second.
    const std::vector<SurveyedPoint> points = {
        pointAt(0, 0, {lab(-40, 6, 1), lab(-60, 6, 2), lab(-70, 4, 3), lab(-84, 8, 4)}),
        pointAt(20, 0, {lab(-40, 6, 1), lab(-60, 11, 2)})};
    const CoverageMap cochannel =
        estimateCoverage(points, 21, 1, withRadius(30, Metric::Cochannel));
    EXPECT_EQ(cochannel.at(0, 0), 3);
    EXPECT_EQ(cochannel.at(20, 0), 0);
    EXPECT_EQ(cochannel.at(5, 0), std::lround(between(3, 5, 0, 15)));
    EXPECT_EQ(cochannel.at(10, 0), 2); // 1.5 rounds away from zero

    CoverageOptions aps = withRadius(30, Metric::Aps);
    aps.threshold = -65;
    const CoverageMap heard = estimateCoverage(points, 21, 1, aps);
    EXPECT_EQ(heard.at(0, 0), 2);
    EXPECT_EQ(heard.at(20, 0), 2);
}

TEST(Coverage, PointsOutsideThePlanStillReachIt) {
    const std::vector<SurveyedPoint> points = {pointAt(-5, 3, {lab(-45)}),
                                               pointAt(100000, 3, {lab(-90)})};
    const CoverageMap map = estimateCoverage(points, 10, 6, withRadius(8));
    EXPECT_EQ(map.at(0, 3), -45);
    EXPECT_EQ(map.at(3, 3), -45);
    EXPECT_EQ(map.at(4, 3), CoverageMap::NoData);
}

TEST(Coverage, PointsSharingAPositionAreAveragedThere) {
    const std::vector<SurveyedPoint> points = {pointAt(4, 4, {lab(-40)}), pointAt(4, 4, {lab(-60)}),
                                               pointAt(8, 4, {lab(-90)})};
    const CoverageMap map = estimateCoverage(points, 10, 10, withRadius(3));
    EXPECT_EQ(map.at(4, 4), -50);
    EXPECT_EQ(map.at(8, 4), -90);
}

TEST(Coverage, NoPointsGiveNoData) {
    const CoverageMap map = estimateCoverage({}, 7, 5, {});
    EXPECT_EQ(map.radius, FallbackRadius);
    EXPECT_EQ(map.values, std::vector<std::int8_t>(35, CoverageMap::NoData));
    EXPECT_FALSE(shareMeeting(map, -70));
}

TEST(Coverage, ThreadsShareTheRowsAndReportProgressInOrder) {
    std::vector<SurveyedPoint> points;
    for (int i = 0; i < 40; ++i)
        points.push_back(pointAt((i * 37) % 200, (i * 53) % 150, {lab(-30 - i * 2)}));
    std::vector<double> shares;
    CoverageOptions options;
    options.threads = 4;
    const CoverageMap shared =
        estimateCoverage(points, 200, 150, options, [&](double s) { shares.push_back(s); });
    options.threads = 1;
    const CoverageMap alone = estimateCoverage(points, 200, 150, options);
    EXPECT_EQ(shared.values, alone.values);
    ASSERT_FALSE(shares.empty());
    EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
    EXPECT_EQ(shares.back(), 1.0);
}

TEST(DefaultRadius, IsOneAndAHalfTimesTheMedianNeighbourDistance) {
    std::vector<SurveyedPoint> grid;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x)
            grid.push_back(pointAt(x * 10, y * 10, {}));
    }
    EXPECT_DOUBLE_EQ(defaultRadius(grid), 15.0);
    // A far-off point and a second visit to a position change nothing.
    grid.push_back(pointAt(5000, -3000, {}));
    grid.push_back(pointAt(20, 20, {}));
    EXPECT_DOUBLE_EQ(defaultRadius(grid), 15.0);

    const std::vector<SurveyedPoint> uneven = {pointAt(0, 0, {}), pointAt(3, 4, {}),
                                               pointAt(100, 0, {}), pointAt(100, 8, {})};
    EXPECT_DOUBLE_EQ(defaultRadius(uneven), 1.5 * (5 + 8) / 2);
}

TEST(DefaultRadius, FallsBackWithoutTwoPositions) {
    EXPECT_EQ(defaultRadius({}), FallbackRadius);
    EXPECT_EQ(defaultRadius({pointAt(3, 3, {})}), FallbackRadius);
    EXPECT_EQ(defaultRadius({pointAt(3, 3, {}), pointAt(3, 3, {lab(-50)})}), FallbackRadius);
}

TEST(ShareMeeting, IsTheShareOfPixelsWithDataAtOrAboveTheRequirement) {
    // Three discs of equal size, apart: two at -50 dBm, one at -90.
    const std::vector<SurveyedPoint> points = {
        pointAt(10, 10, {lab(-50)}), pointAt(30, 10, {lab(-50)}), pointAt(50, 10, {lab(-90)})};
    const CoverageMap map = estimateCoverage(points, 70, 20, withRadius(4));
    ASSERT_TRUE(shareMeeting(map, -67));
    EXPECT_DOUBLE_EQ(*shareMeeting(map, -67), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(*shareMeeting(map, -50), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(*shareMeeting(map, -49), 0.0);
    EXPECT_DOUBLE_EQ(*shareMeeting(map, -90), 1.0);
}

} // namespace
} // namespace marlow::analysis
