// Coverage maps: a metric measured at the surveyed points, estimated for
// every pixel of the floor plan by inverse-distance weighting over the
// points within a radius. Places farther than the radius from every point
// have no data; nothing is extrapolated.
#pragma once

#include "analysis/ApFilter.h"
#include "analysis/PointValues.h"
#include "analysis/SurveyedPoints.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace marlow::analysis {

struct CoverageOptions {
    Metric metric = Metric::Signal;
    ApFilter filter;
    int threshold = -75;          // dBm; what Metric::Aps counts
    std::optional<double> radius; // pixels; defaultRadius(points) when empty
    unsigned threads = 0;         // 0: every core
};

// One value a pixel, rows from the top: dBm for the signal metrics (clamped
// to -127..127), a count for the others (at most 127), NoData beyond the
// radius of every point.
struct CoverageMap {
    std::int32_t width = 0;
    std::int32_t height = 0;
    double radius = 0;
    Metric metric = Metric::Signal;
    std::vector<std::int8_t> values;

    static constexpr std::int8_t NoData = INT8_MIN;

    std::int8_t at(std::int32_t x, std::int32_t y) const {
        return values[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// The radius used when none is given: 1.5 times the median distance from
// each surveyed position to its nearest neighbour (points at one position
// count as one). FallbackRadius when there are fewer than two positions.
constexpr double FallbackRadius = 100.0;
constexpr double RadiusPerNeighbourDistance = 1.5;
double defaultRadius(const std::vector<SurveyedPoint>& points);

// The map of the metric over a width x height plan. A pixel on a surveyed
// point takes that point's value (the mean where several share it); every
// other pixel within the radius of a point takes the mean of the values of
// the points within the radius, weighted by the inverse square of their
// distance. Counts are estimated the same way and rounded. Rows are shared
// among options.threads threads; progress, when given, hears the share of
// rows done (0 to 1), from one thread at a time.
CoverageMap estimateCoverage(const std::vector<SurveyedPoint>& points, std::int32_t width,
                             std::int32_t height, const CoverageOptions& options,
                             const std::function<void(double)>& progress = {});

// The share of the pixels with data whose value is at or above
// requirement; nothing when no pixel has data.
std::optional<double> shareMeeting(const CoverageMap& map, int requirement);

} // namespace marlow::analysis
