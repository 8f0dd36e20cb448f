// The default radius of a coverage map, from the spacing of the survey: the
// nearest neighbour of every position found in a 2-d tree, so that uneven
// surveys and far-off points cost no more than even ones.
#include "analysis/Coverage.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace marlow::analysis {

namespace {

struct Position {
    double x = 0;
    double y = 0;
    bool operator==(const Position&) const = default;
    auto operator<=>(const Position&) const = default;
};

double along(const Position& p, int axis) {
    return axis == 0 ? p.x : p.y;
}

// A balanced tree kept in the array: the median of each range is its root,
// split on x and y in turn.
class PositionTree {
public:
    explicit PositionTree(std::vector<Position> positions) : m_nodes(std::move(positions)) {
        build(0, m_nodes.size(), 0);
    }

    // The squared distance from p to the nearest other position.
    double nearestOther(const Position& p) const {
        double best = std::numeric_limits<double>::infinity();
        search(p, 0, m_nodes.size(), 0, best);
        return best;
    }

private:
    void build(std::size_t begin, std::size_t end, int axis) {
        if (end - begin < 2)
            return;
        const std::size_t middle = begin + (end - begin) / 2;
        std::nth_element(m_nodes.begin() + static_cast<std::ptrdiff_t>(begin),
                         m_nodes.begin() + static_cast<std::ptrdiff_t>(middle),
                         m_nodes.begin() + static_cast<std::ptrdiff_t>(end),
                         [axis](const Position& a, const Position& b) {
                             return along(a, axis) < along(b, axis);
                         });
        build(begin, middle, 1 - axis);
        build(middle + 1, end, 1 - axis);
    }

    void search(const Position& p, std::size_t begin, std::size_t end, int axis,
                double& best) const {
        if (begin >= end)
            return;
        const std::size_t middle = begin + (end - begin) / 2;
        const Position& node = m_nodes[middle];
        const double dx = node.x - p.x;
        const double dy = node.y - p.y;
        const double d2 = dx * dx + dy * dy;
        // Positions are distinct, so only p itself is at distance 0.
        if (d2 > 0 && d2 < best)
            best = d2;
        const double offset = along(p, axis) - along(node, axis);
        const bool leftFirst = offset < 0;
        if (leftFirst)
            search(p, begin, middle, 1 - axis, best);
        else
            search(p, middle + 1, end, 1 - axis, best);
        if (offset * offset < best) {
            if (leftFirst)
                search(p, middle + 1, end, 1 - axis, best);
            else
                search(p, begin, middle, 1 - axis, best);
        }
    }

    std::vector<Position> m_nodes;
};

double median(std::vector<double> values) {
    const std::size_t half = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half),
                     values.end());
    const double upper = values[half];
    if (values.size() % 2 == 1)
        return upper;
    const double lower =
        *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half));
    return (lower + upper) / 2;
}

} // namespace

double defaultRadius(const std::vector<SurveyedPoint>& points) {
    std::vector<Position> positions;
    positions.reserve(points.size());
    for (const SurveyedPoint& point : points)
        positions.push_back({static_cast<double>(point.x), static_cast<double>(point.y)});
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    if (positions.size() < 2)
        return FallbackRadius;

    const PositionTree tree(positions);
    std::vector<double> distances;
    distances.reserve(positions.size());
    for (const Position& p : positions)
        distances.push_back(std::sqrt(tree.nearestOther(p)));
    return RadiusPerNeighbourDistance * median(std::move(distances));
}

} // namespace marlow::analysis
