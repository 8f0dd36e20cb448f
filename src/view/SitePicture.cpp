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

// Division rounded down, for a divisor above 0.
std::int64_t floorDivided(std::int64_t value, std::int64_t divisor) {
    const std::int64_t quotient = value / divisor;
    return quotient - (value % divisor < 0 ? 1 : 0);
}

// The picture coordinate under the centre of grid cell `cell`, on an axis
// of `cells` cells for every `pixels` picture pixels, kept inside 0..size-1.
std::int32_t pictureAt(std::int64_t cell, std::int32_t cells, std::int32_t pixels,
                       std::int32_t size) {
    const std::int64_t at = floorDivided((2 * cell + 1) * pixels, 2 * std::int64_t{cells});
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(at, 0, size - 1));
}

// The area clipped to the target.
Rect clipped(const QImage& target, const Rect& area) {
    return {std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, target.width()),
            std::min(area.bottom, target.height())};
}

bool drawable(const SitePicture& picture, const FrameGrid& grid, const Rect& area) {
    return !picture.isNull() && grid.across > 0 && grid.width > 0 && grid.down > 0 &&
           grid.height > 0 && area.width() > 0 && area.height() > 0;
}

// std::llround for the values a frame meets, inline: half-way cases away
// from zero.
std::int64_t rounded(double v) {
    return v >= 0 ? static_cast<std::int64_t>(v + 0.5) : -static_cast<std::int64_t>(0.5 - v);
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

FrameGrid FrameGrid::showing(const Rect& range, std::int32_t across, std::int32_t down) {
    const auto nearestCell = [](std::int32_t at, std::int32_t cells, std::int32_t pixels) {
        return floorDivided(2 * std::int64_t{at} * cells + pixels, 2 * std::int64_t{pixels});
    };
    return {across,
            range.width(),
            down,
            range.height(),
            nearestCell(range.left, across, range.width()),
            nearestCell(range.top, down, range.height())};
}

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

SitePicture::Level SitePicture::levelFor(const FrameGrid& grid) const {
    if (!m_reduced.empty() && grid.width >= std::int64_t{ReductionStep} * grid.across &&
        grid.height >= std::int64_t{ReductionStep} * grid.down) {
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

void SitePicture::render(QImage& target, const FrameGrid& grid, const Rect& area) const {
    const Rect clip = clipped(target, area);
    if (!drawable(*this, grid, clip))
        return;
    renderPlan(target, grid, clip);
    renderMarks(target, grid, clip, 0);
}

void SitePicture::renderPlan(QImage& target, const FrameGrid& grid, const Rect& area) const {
    const Level level = levelFor(grid);
    const auto inLevel = [&level](std::int32_t planCoordinate, std::int32_t levelSize) {
        return std::min(planCoordinate / level.step, levelSize - 1);
    };
    // Which level column each target column shows, once per frame.
    std::vector<std::int32_t> columns(static_cast<std::size_t>(area.width()));
    for (std::int32_t x = area.left; x < area.right; ++x)
        columns[static_cast<std::size_t>(x - area.left)] =
            inLevel(pictureAt(grid.left + x, grid.across, grid.width, m_plan.width), level.width);
    std::int32_t shownRow = -1;
    const QRgb* shown = nullptr;
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y)) + area.left;
        const std::int32_t row =
            inLevel(pictureAt(grid.top + y, grid.down, grid.height, m_plan.height), level.height);
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

void SitePicture::renderMarks(QImage& target, const FrameGrid& grid, const Rect& area,
                              std::size_t first) const {
    const Rect clip = clipped(target, area);
    if (!drawable(*this, grid, clip) || first >= m_marks.size())
        return;
    const double scaleX = static_cast<double>(grid.across) / grid.width;
    const double scaleY = static_cast<double>(grid.down) / grid.height;
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
    // Marks farther than this from the area cannot reach it (and the test
    // keeps the arithmetic below far from overflow). A mark's centre is the
    // cell corner nearest its place on the grid, whatever the frame's
    // offset, so a frame moved by whole cells shows it where it was.
    const double left = static_cast<double>(grid.left + clip.left) - reachX - 1;
    const double right = static_cast<double>(grid.left + clip.right) + reachX + 1;
    const double top = static_cast<double>(grid.top + clip.top) - reachY - 1;
    const double bottom = static_cast<double>(grid.top + clip.bottom) + reachY + 1;
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
        const double onGridX = mark->x * scaleX;
        const double onGridY = mark->y * scaleY;
        if (onGridX < left || onGridX > right || onGridY < top || onGridY > bottom)
            continue;
        const auto centerX = static_cast<std::int32_t>(rounded(onGridX) - grid.left);
        const auto centerY = static_cast<std::int32_t>(rounded(onGridY) - grid.top);
        const Quad& quad = quads[mark->band];
        // A disc wholly inside the area needs no clipping: its runs are laid
        // from its centre pixel as they are.
        if (centerX - reachX >= clip.left && centerX + reachX < clip.right &&
            centerY - reachY >= clip.top && centerY + reachY < clip.bottom) {
            QRgb* const centre = reinterpret_cast<QRgb*>(bits + centerY * bytesPerLine) + centerX;
            for (const Run& run : runs)
                fillSpan(centre + run.offset, run.length, quad);
            continue;
        }
        for (const Span& span : spans) {
            const std::int32_t y = centerY + span.dy;
            if (y < clip.top || y >= clip.bottom)
                continue;
            const std::int32_t from = std::max(centerX + span.from, clip.left);
            const std::int32_t to = std::min(centerX + span.to, clip.right);
            if (from >= to)
                continue;
            auto* row = reinterpret_cast<QRgb*>(bits + y * bytesPerLine);
            fillSpan(row + from, to - from, quad);
        }
    }
}

} // namespace marlow
