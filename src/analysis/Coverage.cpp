// Estimating a coverage map. Rows are swept from the top of each band of
// rows: the points within the radius of the row, kept sorted by x as the
// row moves down, and for each pixel the run of them within the radius
// along x. A pixel so looks only at the points of a 2r x 2r square around
// it, however large the survey.
#include "analysis/Coverage.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <exception>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace marlow::analysis {

namespace {

// Rows a thread takes at a time: enough to make the set-up of a band cheap,
// few enough to share the rows evenly.
constexpr std::int32_t BandRows = 32;

// The squared distance a pixel on a point is given: its weight then dwarfs
// every other (at least one pixel away, so weighing at most 1) beyond what
// a float can tell, and the pixel takes the point's value.
constexpr float OnPoint = 1e-12f;

// Four floats in one register, which every x86-64 and ARMv8 processor
// has, and which the compiler's vector extension works on as one value: the
// inner loop weighs four points at a time.
using Floats = float __attribute__((vector_size(16)));
constexpr std::size_t Lanes = sizeof(Floats) / sizeof(float);

Floats load(const float* at) {
    Floats lanes;
    std::memcpy(&lanes, at, sizeof lanes);
    return lanes;
}

float sum(Floats lanes) {
    float total = 0;
    for (std::size_t k = 0; k < Lanes; ++k)
        total += lanes[k];
    return total;
}

struct Sample {
    float x = 0;
    float y = 0;
    float value = 0;
};

// The points that can reach the plan, with their values, sorted by y.
std::vector<Sample> samplesOf(const std::vector<SurveyedPoint>& points, std::int32_t width,
                              std::int32_t height, const CoverageOptions& options, double radius) {
    std::vector<Sample> samples;
    for (const SurveyedPoint& point : points) {
        const double x = point.x;
        const double y = point.y;
        if (x < -radius || y < -radius || x > width - 1 + radius || y > height - 1 + radius)
            continue;
        const int value = pointValue(point, options.metric, options.filter, options.threshold);
        samples.push_back(
            {static_cast<float>(x), static_cast<float>(y), static_cast<float>(value)});
    }
    std::sort(samples.begin(), samples.end(),
              [](const Sample& a, const Sample& b) { return a.y < b.y; });
    return samples;
}

// Rounded half away from zero, as lround does, but with the clamp first and
// a plain conversion, which the compiler keeps inline.
std::int8_t toCell(float value, float lowest) {
    const float clamped = std::clamp(value, lowest, 127.0f);
    return static_cast<std::int8_t>(clamped + (clamped < 0 ? -0.5f : 0.5f));
}

// One band of rows of the map.
class BandSweep {
public:
    BandSweep(const std::vector<Sample>& samples, float radius, CoverageMap& map)
        : m_samples(samples), m_radius(radius), m_radius2(radius * radius), m_map(map),
          m_lowest(map.metric == Metric::Aps || map.metric == Metric::Cochannel ? 0.0f : -127.0f) {}

    void run(std::int32_t top, std::int32_t bottom) {
        m_active.clear();
        const float first = static_cast<float>(top) - m_radius;
        m_next = std::lower_bound(m_samples.begin(), m_samples.end(), first,
                                  [](const Sample& s, float y) { return s.y < y; });
        for (std::int32_t y = top; y < bottom; ++y) {
            advanceTo(static_cast<float>(y));
            sweepRow(y);
        }
    }

private:
    // Drops the points now above the radius, takes in those now within it,
    // and lays the set out for the row.
    void advanceTo(float y) {
        std::erase_if(m_active, [&](const Sample& s) { return s.y < y - m_radius; });
        const std::size_t kept = m_active.size();
        for (; m_next != m_samples.end() && m_next->y <= y + m_radius; ++m_next) {
            if (m_next->y >= y - m_radius)
                m_active.push_back(*m_next);
        }
        if (m_active.size() != kept) {
            const auto byX = [](const Sample& a, const Sample& b) { return a.x < b.x; };
            const auto middle = m_active.begin() + static_cast<std::ptrdiff_t>(kept);
            std::sort(middle, m_active.end(), byX);
            std::inplace_merge(m_active.begin(), middle, m_active.end(), byX);
        }
        // Padding of a block of lanes, infinitely far away.
        m_xs.assign(m_active.size() + Lanes, 0.0f);
        m_dy2.assign(m_active.size() + Lanes, std::numeric_limits<float>::infinity());
        m_values.assign(m_active.size() + Lanes, 0.0f);
        for (std::size_t i = 0; i < m_active.size(); ++i) {
            const float dy = m_active[i].y - y;
            m_xs[i] = m_active[i].x;
            m_dy2[i] = dy * dy;
            m_values[i] = m_active[i].value;
        }
    }

    void sweepRow(std::int32_t y) {
        std::int8_t* out = m_map.values.data() +
                           static_cast<std::size_t>(y) * static_cast<std::size_t>(m_map.width);
        const std::size_t count = m_active.size();
        const float* xs = m_xs.data();
        const float* dy2 = m_dy2.data();
        const float* values = m_values.data();
        std::size_t begin = 0;
        std::size_t end = 0;
        for (std::int32_t x = 0; x < m_map.width; ++x) {
            const float px = static_cast<float>(x);
            while (end < count && xs[end] <= px + m_radius)
                ++end;
            while (begin < end && xs[begin] < px - m_radius)
                ++begin;
            // Whole blocks of Lanes, side by side; the entries past the run
            // are farther than the radius (or padding) and weigh nothing.
            Floats weights{};
            Floats weighted{};
            for (std::size_t i = begin; i < end; i += Lanes) {
                const Floats dx = load(xs + i) - px;
                const Floats d2 = dx * dx + load(dy2 + i);
                const Floats inverse = 1.0f / (d2 > OnPoint ? d2 : OnPoint);
                const Floats w = d2 <= m_radius2 ? inverse : Floats{};
                weights += w;
                weighted += w * load(values + i);
            }
            const float weight = sum(weights);
            out[x] = weight > 0 ? toCell(sum(weighted) / weight, m_lowest) : CoverageMap::NoData;
        }
    }

    const std::vector<Sample>& m_samples;
    const float m_radius;
    const float m_radius2;
    CoverageMap& m_map;
    const float m_lowest; // of a value: 0 for counts, -127 dBm
    std::vector<Sample>::const_iterator m_next;
    std::vector<Sample> m_active; // within the radius of the row, by x
    std::vector<float> m_xs;
    std::vector<float> m_dy2;
    std::vector<float> m_values;
};

unsigned threadCount(unsigned asked, std::int32_t bands) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return std::clamp(asked == 0 ? cores : asked, 1u, static_cast<unsigned>(bands));
}

} // namespace

CoverageMap estimateCoverage(const std::vector<SurveyedPoint>& points, std::int32_t width,
                             std::int32_t height, const CoverageOptions& options,
                             const std::function<void(double)>& progress) {
    const double radius = options.radius ? *options.radius : defaultRadius(points);
    if (!std::isfinite(radius) || radius < 0)
        throw std::invalid_argument("a coverage radius must be finite and not negative");
    CoverageMap map;
    map.width = std::max(width, 0);
    map.height = std::max(height, 0);
    map.radius = radius;
    map.metric = options.metric;
    if (map.width == 0 || map.height == 0)
        return map;
    map.values.resize(static_cast<std::size_t>(map.width) * static_cast<std::size_t>(map.height));

    const std::vector<Sample> samples = samplesOf(points, map.width, map.height, options, radius);
    const std::int32_t bands = (map.height + BandRows - 1) / BandRows;
    std::atomic<std::int32_t> nextBand = 0;
    std::atomic<std::int32_t> rowsDone = 0;
    std::mutex reporting;
    std::exception_ptr failure;
    const auto work = [&] {
        try {
            BandSweep sweep(samples, static_cast<float>(radius), map);
            for (std::int32_t band; (band = nextBand++) < bands;) {
                const std::int32_t top = band * BandRows;
                const std::int32_t bottom = std::min(top + BandRows, map.height);
                sweep.run(top, bottom);
                rowsDone += bottom - top;
                if (progress) {
                    const std::lock_guard lock(reporting);
                    progress(static_cast<double>(rowsDone.load()) / map.height);
                }
            }
        } catch (...) {
            const std::lock_guard lock(reporting);
            if (!failure)
                failure = std::current_exception();
            nextBand = bands;
        }
    };
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < threadCount(options.threads, bands); ++i) {
        // Without another thread the ones running do the rows.
        try {
            helpers.emplace_back(work);
        } catch (const std::system_error&) {
            break;
        }
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
    return map;
}

std::optional<double> shareMeeting(const CoverageMap& map, int requirement) {
    std::size_t withData = 0;
    std::size_t meeting = 0;
    for (const std::int8_t value : map.values) {
        if (value == CoverageMap::NoData)
            continue;
        ++withData;
        if (value >= requirement)
            ++meeting;
    }
    if (withData == 0)
        return std::nullopt;
    return static_cast<double>(meeting) / static_cast<double>(withData);
}

} // namespace marlow::analysis
