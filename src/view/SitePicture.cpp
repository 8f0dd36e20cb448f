// SitePicture: the 8-bit plan converted and scaled a frame at a time, and
// the marks rasterised over it as discs of their band's colour.
#include "view/SitePicture.h"

#include "view/RssiScale.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace marlow {

namespace {

// The reduced copy: one plan pixel of every ReductionStep x ReductionStep,
// kept for plans with a side of at least ReducedFrom pixels (1/16 of the
// plan's memory) and sampled by frames that show ReductionStep or more
// plan pixels per window pixel each way.
constexpr std::int32_t ReductionStep = 4;
constexpr std::int32_t ReducedFrom = 2048;

constexpr std::int32_t MarkRadius = 10;
// However far the map is zoomed out, a mark stays a dot about three window
// pixels across.
constexpr double SmallestRadius = 1.5;

bool holdsWholePicture(const SiteBitmap& plan) {
    if (plan.width <= 0 || plan.height <= 0)
        return false;
    const std::uint64_t needed = std::uint64_t{plan.rowStride()} * std::uint64_t(plan.height);
    return plan.pixels.size() >= needed;
}

// The source coordinate whose pixel shows at offset `at` of `destination`
// target pixels: the one under the target pixel's centre.
std::int32_t sourceAt(std::int64_t at, std::int32_t destination, std::int32_t sourceStart,
                      std::int32_t source) {
    const std::int64_t offset = ((2 * at + 1) * source) / (2 * std::int64_t{destination});
    return sourceStart + static_cast<std::int32_t>(std::clamp<std::int64_t>(offset, 0, source - 1));
}

// The destination clipped to the target.
Rect clipped(const QImage& target, const Rect& destination) {
    return {std::max(destination.left, 0), std::max(destination.top, 0),
            std::min(destination.right, target.width()),
            std::min(destination.bottom, target.height())};
}

bool drawable(const SitePicture& picture, const Rect& destination, const Rect& source) {
    return !picture.isNull() && destination.width() > 0 && destination.height() > 0 &&
           source.width() > 0 && source.height() > 0 && source.left >= 0 && source.top >= 0 &&
           source.right <= picture.width() && source.bottom <= picture.height();
}

// std::lround for the values a frame meets (well inside 32 bits), inline:
// half-way cases away from zero.
std::int32_t rounded(double v) {
    return v >= 0 ? static_cast<std::int32_t>(v + 0.5) : -static_cast<std::int32_t>(0.5 - v);
}

// Four pixels of one colour.
using Quad = std::array<QRgb, 4>;

// Sets n pixels to the quad's colour, four at a time where there are four,
// the last four overlapping the ones before. Which steps run depends only on
// n, never on where the pixels lie, so the many short spans of a frame full
// of small discs take the same path each time.
void fillSpan(QRgb* out, std::int32_t n, const Quad& quad) {
    if (n >= 4) {
        for (std::int32_t i = 0; i + 4 < n; i += 4)
            std::memcpy(out + i, quad.data(), sizeof quad);
        std::memcpy(out + n - 4, quad.data(), sizeof quad);
        return;
    }
    for (std::int32_t i = 0; i < n; ++i)
        out[i] = quad[0];
}

std::uint64_t nextStamp() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

} // namespace

SitePicture::SitePicture(SiteBitmap plan) : m_stamp(nextStamp()) {
    if (!holdsWholePicture(plan))
        return;
    m_plan = std::move(plan);
    for (int i = 0; i < 256; ++i)
        m_table[static_cast<std::size_t>(i)] =
            0xFF000000u | m_plan.rgb(static_cast<std::uint8_t>(i));
    if (m_plan.width >= ReducedFrom || m_plan.height >= ReducedFrom)
        reduce();
}

// Each level pixel takes the plan pixel nearest the middle of the block it
// stands for, so a frame sampling the level shows a plan pixel at most two
// plan pixels from the one it would have shown.
void SitePicture::reduce() {
    const std::int32_t width = (m_plan.width + ReductionStep - 1) / ReductionStep;
    const std::int32_t height = (m_plan.height + ReductionStep - 1) / ReductionStep;
    m_reduced.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* from =
            m_plan.row(std::min(y * ReductionStep + ReductionStep / 2, m_plan.height - 1));
        std::uint8_t* to = m_reduced.data() + static_cast<std::size_t>(y) * width;
        for (std::int32_t x = 0; x < width; ++x)
            to[x] = from[std::min(x * ReductionStep + ReductionStep / 2, m_plan.width - 1)];
    }
}

const std::uint8_t* SitePicture::Level::row(std::int32_t y) const {
    const std::int32_t stored = topDown ? y : height - 1 - y;
    return pixels + static_cast<std::size_t>(stored) * stride;
}

SitePicture::Level SitePicture::levelFor(const Rect& destination, const Rect& source) const {
    if (!m_reduced.empty() && source.width() >= ReductionStep * destination.width() &&
        source.height() >= ReductionStep * destination.height()) {
        const std::int32_t width = (m_plan.width + ReductionStep - 1) / ReductionStep;
        return {m_reduced.data(),
                static_cast<std::size_t>(width),
                true,
                width,
                (m_plan.height + ReductionStep - 1) / ReductionStep,
                ReductionStep};
    }
    return {m_plan.pixels.data(), m_plan.rowStride(), m_plan.topDown,
            m_plan.width,         m_plan.height,      1};
}

QRgb SitePicture::planPixel(int x, int y) const {
    return m_table[m_plan.row(y)[x]];
}

void SitePicture::addMark(std::int32_t x, std::int32_t y, int rssi) {
    m_marks.push_back({x, y, static_cast<std::uint8_t>(rssiBandNumber(rssi) - 1)});
}

bool SitePicture::removeMark(std::int32_t x, std::int32_t y) {
    const auto found = std::find_if(m_marks.begin(), m_marks.end(),
                                    [&](const Mark& m) { return m.x == x && m.y == y; });
    if (found == m_marks.end())
        return false;
    m_marks.erase(found);
    m_stamp = nextStamp();
    return true;
}

void SitePicture::render(QImage& target, const Rect& destination, const Rect& source) const {
    if (!drawable(*this, destination, source))
        return;
    renderPlan(target, destination, source);
    renderMarks(target, destination, source, 0);
}

void SitePicture::renderPlan(QImage& target, const Rect& destination, const Rect& source) const {
    const Rect area = clipped(target, destination);
    if (area.width() <= 0 || area.height() <= 0)
        return;
    const Level level = levelFor(destination, source);
    const auto inLevel = [&level](std::int32_t planCoordinate, std::int32_t levelSize) {
        return std::min(planCoordinate / level.step, levelSize - 1);
    };
    // Which level column each target column shows, once per frame.
    std::vector<std::int32_t> columns(static_cast<std::size_t>(area.width()));
    for (std::int32_t x = area.left; x < area.right; ++x)
        columns[static_cast<std::size_t>(x - area.left)] = inLevel(
            sourceAt(x - destination.left, destination.width(), source.left, source.width()),
            level.width);
    std::int32_t shownRow = -1;
    const QRgb* shown = nullptr;
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y)) + area.left;
        const std::int32_t row = inLevel(
            sourceAt(y - destination.top, destination.height(), source.top, source.height()),
            level.height);
        // A row that shows the same level row as the one above is a copy.
        if (row == shownRow) {
            std::copy_n(shown, columns.size(), out);
            continue;
        }
        const std::uint8_t* pixels = level.row(row);
        for (std::size_t i = 0; i < columns.size(); ++i)
            out[i] = m_table[pixels[columns[i]]];
        shownRow = row;
        shown = out;
    }
}

void SitePicture::renderMarks(QImage& target, const Rect& destination, const Rect& source,
                              std::size_t first) const {
    if (!drawable(*this, destination, source) || first >= m_marks.size())
        return;
    const Rect area = clipped(target, destination);
    if (area.width() <= 0 || area.height() <= 0)
        return;
    const double scaleX = static_cast<double>(destination.width()) / source.width();
    const double scaleY = static_cast<double>(destination.height()) / source.height();
    const double radiusX = std::max(MarkRadius * scaleX, SmallestRadius);
    const double radiusY = std::max(MarkRadius * scaleY, SmallestRadius);
    // Every disc of the frame has the same size: its rows, as spans from
    // the pixel corner nearest its centre, are worked out once. A pixel is
    // the disc's when its centre lies inside.
    struct Span {
        std::int32_t dy;
        std::int32_t from;
        std::int32_t to;
    };
    std::vector<Span> spans;
    const auto reachY = static_cast<std::int32_t>(std::ceil(radiusY)) + 1;
    for (std::int32_t dy = -reachY; dy <= reachY; ++dy) {
        const double v = (dy + 0.5) / radiusY;
        if (v * v > 1.0)
            continue;
        const double half = radiusX * std::sqrt(1.0 - v * v);
        const auto from = static_cast<std::int32_t>(std::ceil(-half - 0.5));
        const auto to = static_cast<std::int32_t>(std::floor(half - 0.5)) + 1;
        if (from < to)
            spans.push_back({dy, from, to});
    }
    const auto reachX = static_cast<std::int32_t>(std::ceil(radiusX)) + 1;
    // Marks farther than this from the source rectangle cannot reach it
    // (and the test keeps the arithmetic below far from overflow).
    const double left = source.left - (reachX / scaleX + 1);
    const double right = source.right + (reachX / scaleX + 1);
    const double top = source.top - (reachY / scaleY + 1);
    const double bottom = source.bottom + (reachY / scaleY + 1);
    const auto bytesPerLine = static_cast<std::ptrdiff_t>(target.bytesPerLine());
    // The same spans as pixel offsets from the centre pixel in the target.
    struct Run {
        std::ptrdiff_t offset;
        std::int32_t length;
    };
    std::vector<Run> runs;
    for (const Span& span : spans)
        runs.push_back({span.dy * bytesPerLine / std::ptrdiff_t{sizeof(QRgb)} + span.from,
                        span.to - span.from});
    std::array<Quad, RssiBandCount> quads{};
    for (std::size_t band = 0; band < quads.size(); ++band) {
        const RgbColor brush = RssiBands[band].brush;
        quads[band].fill(qRgb(brush.red, brush.green, brush.blue));
    }
    uchar* const bits = target.bits();
    for (auto mark = m_marks.begin() + static_cast<std::ptrdiff_t>(first); mark != m_marks.end();
         ++mark) {
        if (mark->x < left || mark->x > right || mark->y < top || mark->y > bottom)
            continue;
        const std::int32_t centerX = rounded(destination.left + (mark->x - source.left) * scaleX);
        const std::int32_t centerY = rounded(destination.top + (mark->y - source.top) * scaleY);
        const Quad& quad = quads[mark->band];
        // A disc wholly inside the area needs no clipping: its runs are laid
        // from its centre pixel as they are.
        if (centerX - reachX >= area.left && centerX + reachX < area.right &&
            centerY - reachY >= area.top && centerY + reachY < area.bottom) {
            QRgb* const centre = reinterpret_cast<QRgb*>(bits + centerY * bytesPerLine) + centerX;
            for (const Run& run : runs)
                fillSpan(centre + run.offset, run.length, quad);
            continue;
        }
        for (const Span& span : spans) {
            const std::int32_t y = centerY + span.dy;
            if (y < area.top || y >= area.bottom)
                continue;
            const std::int32_t from = std::max(centerX + span.from, area.left);
            const std::int32_t to = std::min(centerX + span.to, area.right);
            if (from >= to)
                continue;
            auto* row = reinterpret_cast<QRgb*>(bits + y * bytesPerLine);
            fillSpan(row + from, to - from, quad);
        }
    }
}

} // namespace marlow
