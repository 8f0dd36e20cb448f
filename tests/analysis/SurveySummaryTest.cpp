// The report's numbers on a small survey whose answers are known: the
// strongest point of each access point, the points that heard it, the
// access points per channel with their overlap, and the SSID ranking.
#include "analysis/SurveySummary.h"

#include "SiteFixtures.h"

#include <gtest/gtest.h>
#include <tuple>

namespace marlow::analysis {
namespace {

using test::apRecord;

// Points 0..4; point 4 stands where point 0 does, under another name.
SurveySummary knownSurvey() {
    RecordList store;
    for (const SurveyRecord& r : {
             apRecord(0, 0, 1, -60, "office", 1, "A"),
             apRecord(0, 0, 2, -70, "guest", 6, "A"),
             apRecord(10, 0, 1, -50, "office", 1, "B"),
             apRecord(10, 0, 3, -80, "office", 11, "B"),
             apRecord(10, 0, 1, -55, "office", 1, "B"), // the same AP again
             test::committedPlaceholder(20, 0),
             apRecord(30, 0, 2, -65, "guest", 6, "D"),
             apRecord(30, 0, 4, -90, "", 3, "D"),
             apRecord(30, 0, 5, -70, "lab", 36, "D"),
             apRecord(0, 0, 2, -65, "guest-renamed", 5, "E"), // ties point 3
             apRecord(0, 0, 6, -75, "alpha", 11, "E"),
         })
        test::appendRecord(store, r);
    return summarize(surveyedPoints(store));
}

TEST(SurveySummary, AccessPointRowsTakeTheirStrongestRecord) {
    const SurveySummary summary = knownSurvey();
    using Row = std::tuple<int, std::string, int, int, std::size_t, std::size_t>;
    std::vector<Row> rows;
    for (const AccessPointRow& ap : summary.accessPoints)
        rows.emplace_back(ap.mac[5], ap.ssid, ap.channel, ap.strongestRssi, ap.pointsHeard,
                          ap.strongestPoint);
    EXPECT_EQ(rows, (std::vector<Row>{
                        {1, "office", 1, -50, 2, 1},
                        {2, "guest", 6, -65, 3, 3}, // the first of two at -65
                        {3, "office", 11, -80, 1, 1},
                        {4, "", 3, -90, 1, 3},
                        {5, "lab", 36, -70, 1, 3},
                        {6, "alpha", 11, -75, 1, 4},
                    }));
}

TEST(SurveySummary, PointRowsCountDistinctAccessPoints) {
    const SurveySummary summary = knownSurvey();
    using Row = std::tuple<std::string, int, std::size_t, std::optional<int>>;
    std::vector<Row> rows;
    for (const PointRow& p : summary.points)
        rows.emplace_back(p.name, p.x, p.accessPointsHeard, p.bestRssi);
    EXPECT_EQ(rows, (std::vector<Row>{
                        {"A", 0, 2, -60},
                        {"B", 10, 2, -50},
                        {"FILL", 20, 0, std::nullopt},
                        {"D", 30, 3, -65},
                        {"E", 0, 2, -65},
                    }));
    EXPECT_EQ(summary.pointsWithNothingHeard, 1u);
}

TEST(SurveySummary, ChannelsCountAccessPointsAndTheirOverlap) {
    const SurveySummary summary = knownSurvey();
    using Row = std::tuple<int, std::size_t, std::size_t>;
    std::vector<Row> rows;
    for (const ChannelRow& c : summary.channels)
        rows.emplace_back(c.channel, c.accessPoints, c.overlapping);
    EXPECT_EQ(rows, (std::vector<Row>{{1, 1, 1}, {3, 1, 2}, {6, 1, 1}, {11, 2, 0}, {36, 1, 0}}));
}

TEST(SurveySummary, SsidsRankByPointsThenName) {
    const SurveySummary summary = knownSurvey();
    std::vector<std::pair<std::string, std::size_t>> ranking;
    for (const SsidRank& s : summary.ssids)
        ranking.emplace_back(s.ssid, s.pointsHeard);
    EXPECT_EQ(ranking,
              (std::vector<std::pair<std::string, std::size_t>>{
                  {"guest", 2}, {"office", 2}, {"alpha", 1}, {"guest-renamed", 1}, {"lab", 1}}));
}

TEST(Channels, OverlapWithinFourOn24GHzAndOnlyOnTheSameChannelElsewhere) {
    const struct {
        int a, b;
        bool overlap;
    } cases[] = {{1, 5, true},  {1, 6, false}, {14, 10, true},  {6, 6, true},   {13, 36, false},
                 {0, 2, false}, {2, 1, true},  {11, 15, false}, {36, 36, true}, {36, 40, false}};
    for (const auto& c : cases)
        EXPECT_EQ(channelsOverlap(c.a, c.b), c.overlap) << c.a << " " << c.b;
}

TEST(SurveySummary, NoPointsGiveEmptyTables) {
    const SurveySummary summary = summarize({});
    EXPECT_TRUE(summary.points.empty());
    EXPECT_TRUE(summary.accessPoints.empty());
    EXPECT_TRUE(summary.channels.empty());
    EXPECT_TRUE(summary.ssids.empty());
}

} // namespace
} // namespace marlow::analysis
