// SitePicture: the 8-bit plan converted and scaled a frame at a time, and
// the marks rasterised over it as discs of their band's colour.
#include "view/SitePicture.h"

#include "view/FrameBands.h"
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
    return area.intersected({0, 0, target.width(), target.height()});
}

bool drawable(const SitePicture& picture, const FrameGrid& grid, const Rect& area) {
    return !picture.isNull() && grid.across > 0 && grid.width > 0 && grid.down > 0 &&
           grid.height > 0 && !area.isEmpty();
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
// n, never on where the pixels lie, and a span of up to eight (a disc's row
// when zoomed out) is two stores and no loop, so the many short spans of a
// frame full of small discs take the same short path each time.
void fillSpan(QRgb* out, std::int32_t n, const Quad& quad) {
    if (n >= 4) {
        std::memcpy(out, quad.data(), sizeof quad);
        for (std::int32_t i = 4; i + 4 < n; i += 4)
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

// The target's pixels as raw rows: taken once on the painting thread, so
// that the threads drawing bands never touch the QImage itself.
struct SitePicture::Canvas {
    uchar* bits;
    std::ptrdiff_t bytesPerLine;

    explicit Canvas(QImage& target) : bits(target.bits()), bytesPerLine(target.bytesPerLine()) {}
    QRgb* row(std::int32_t y) const { return reinterpret_cast<QRgb*>(bits + y * bytesPerLine); }
};

// Which level column each column of a frame's area shows, worked out once
// per frame.
struct SitePicture::PlanColumns {
    Level level;
    std::vector<std::int32_t> columns;
};

// Every disc of a frame has the same size: its rows, as spans from the
// pixel corner nearest its centre, are worked out once. A pixel is the
// disc's when its centre lies inside.
struct SitePicture::DiscShape {
    struct Span {
        std::int32_t dy;
        std::int32_t from;
        std::int32_t to;
    };
    // The same spans as pixel offsets from the centre pixel in the canvas.
    struct Run {
        std::ptrdiff_t offset;
        std::int32_t length;
    };
    double scaleX;
    double scaleY;
    std::int32_t reachX;
    std::int32_t reachY;
    std::vector<Span> spans;
    std::vector<Run> runs;
    std::array<Quad, RssiBandCount> quads{};

    DiscShape(const FrameGrid& grid, const Canvas& canvas)
        : scaleX(static_cast<double>(grid.across) / grid.width),
          scaleY(static_cast<double>(grid.down) / grid.height) {
        const double radiusX = std::max(MarkRadius * scaleX, SmallestRadius);
        const double radiusY = std::max(MarkRadius * scaleY, SmallestRadius);
        reachX = static_cast<std::int32_t>(std::ceil(radiusX)) + 1;
        reachY = static_cast<std::int32_t>(std::ceil(radiusY)) + 1;
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
        for (const Span& span : spans)
            runs.push_back(
                {span.dy * canvas.bytesPerLine / std::ptrdiff_t{sizeof(QRgb)} + span.from,
                 span.to - span.from});
        for (std::size_t band = 0; band < quads.size(); ++band) {
            const RgbColor brush = RssiBands[band].brush;
            quads[band].fill(qRgb(brush.red, brush.green, brush.blue));
        }
    }
};

void SitePicture::render(QImage& target, const FrameGrid& grid, const Rect& area) const {
    const Rect clip = clipped(target, area);
    if (!drawable(*this, grid, clip))
        return;
    const Canvas canvas(target);
    const PlanColumns columns = columnsFor(grid, clip);
    const DiscShape shape(grid, canvas);
    // Each band shows the plan and then the marks over it, in order, so the
    // frame is the same however it is cut.
    drawInBands(clip.top, clip.bottom, clip.width(), [&](std::int32_t top, std::int32_t bottom) {
        const Rect band{clip.left, top, clip.right, bottom};
        renderPlan(canvas, columns, grid, band);
        renderMarks(canvas, shape, grid, band, 0);
    });
}

void SitePicture::renderMarks(QImage& target, const FrameGrid& grid, const Rect& area,
                              std::size_t first) const {
    const Rect clip = clipped(target, area);
    if (!drawable(*this, grid, clip) || first >= m_marks.size())
        return;
    const Canvas canvas(target);
    renderMarks(canvas, DiscShape(grid, canvas), grid, clip, first);
}

SitePicture::PlanColumns SitePicture::columnsFor(const FrameGrid& grid, const Rect& area) const {
    PlanColumns out{levelFor(grid), {}};
    out.columns.resize(static_cast<std::size_t>(area.width()));
    for (std::int32_t x = area.left; x < area.right; ++x) {
        const std::int32_t at = pictureAt(grid.left + x, grid.across, grid.width, m_plan.width);
        out.columns[static_cast<std::size_t>(x - area.left)] =
            std::min(at / out.level.step, out.level.width - 1);
    }
    return out;
}

// The area's rows, from the columns worked out for them (the same left and
// width).
void SitePicture::renderPlan(const Canvas& canvas, const PlanColumns& columns,
                             const FrameGrid& grid, const Rect& area) const {
    const Level& level = columns.level;
    const std::size_t width = columns.columns.size();
    const std::int32_t* const at = columns.columns.data();
    std::int32_t shownRow = -1;
    const QRgb* shown = nullptr;
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        QRgb* const out = canvas.row(y) + area.left;
        const std::int32_t row =
            std::min(pictureAt(grid.top + y, grid.down, grid.height, m_plan.height) / level.step,
                     level.height - 1);
        // A row that shows the same level row as the one above is a copy.
        if (row == shownRow) {
            std::copy_n(shown, width, out);
            continue;
        }
        const std::uint8_t* pixels = level.row(row);
        std::size_t i = 0;
        // Four pixels are looked up before any is stored: the compiler cannot
        // tell that the stores leave the plan and the table alone, and
        // otherwise orders every lookup after the store before it.
        for (; i + 4 <= width; i += 4) {
            const QRgb first = m_table[pixels[at[i]]];
            const QRgb second = m_table[pixels[at[i + 1]]];
            const QRgb third = m_table[pixels[at[i + 2]]];
            const QRgb fourth = m_table[pixels[at[i + 3]]];
            out[i] = first;
            out[i + 1] = second;
            out[i + 2] = third;
            out[i + 3] = fourth;
        }
        for (; i < width; ++i)
            out[i] = m_table[pixels[at[i]]];
        shownRow = row;
        shown = out;
    }
}

void SitePicture::renderMarks(const Canvas& canvas, const DiscShape& shape, const FrameGrid& grid,
                              const Rect& clip, std::size_t first) const {
    // Marks farther than this from the area cannot reach it (and the test
    // keeps the arithmetic below far from overflow). A mark's centre is the
    // cell corner nearest its place on the grid, whatever the frame's
    // offset, so a frame moved by whole cells shows it where it was.
    const double left = static_cast<double>(grid.left + clip.left) - shape.reachX - 1;
    const double right = static_cast<double>(grid.left + clip.right) + shape.reachX + 1;
    const double top = static_cast<double>(grid.top + clip.top) - shape.reachY - 1;
    const double bottom = static_cast<double>(grid.top + clip.bottom) + shape.reachY + 1;
    // The marks that reach the area are picked a chunk at a time, with no
    // branch per mark: in one band of a frame about half of them do, in an
    // order no branch predictor learns.
    constexpr std::size_t Chunk = 256;
    std::array<const Mark*, Chunk> reaching;
    for (std::size_t start = first; start < m_marks.size(); start += Chunk) {
        const std::size_t end = std::min(start + Chunk, m_marks.size());
        std::size_t count = 0;
        for (std::size_t i = start; i < end; ++i) {
            const Mark& mark = m_marks[i];
            const double onGridX = mark.x * shape.scaleX;
            const double onGridY = mark.y * shape.scaleY;
            reaching[count] = &mark;
            count += static_cast<std::size_t>((onGridX >= left) & (onGridX <= right) &
                                              (onGridY >= top) & (onGridY <= bottom));
        }
        for (std::size_t i = 0; i < count; ++i)
            drawMark(canvas, shape, grid, clip, *reaching[i]);
    }
}

void SitePicture::drawMark(const Canvas& canvas, const DiscShape& shape, const FrameGrid& grid,
                           const Rect& clip, const Mark& mark) {
    const auto centerX = static_cast<std::int32_t>(rounded(mark.x * shape.scaleX) - grid.left);
    const auto centerY = static_cast<std::int32_t>(rounded(mark.y * shape.scaleY) - grid.top);
    const Quad& quad = shape.quads[mark.band];
    // A disc wholly inside the area needs no clipping: its runs are laid
    // from its centre pixel as they are.
    if (centerX - shape.reachX >= clip.left && centerX + shape.reachX < clip.right &&
        centerY - shape.reachY >= clip.top && centerY + shape.reachY < clip.bottom) {
        QRgb* const centre = canvas.row(centerY) + centerX;
        for (const DiscShape::Run& run : shape.runs)
            fillSpan(centre + run.offset, run.length, quad);
        return;
    }
    for (const DiscShape::Span& span : shape.spans) {
        const std::int32_t y = centerY + span.dy;
        if (y < clip.top || y >= clip.bottom)
            continue;
        const std::int32_t from = std::max(centerX + span.from, clip.left);
        const std::int32_t to = std::min(centerX + span.to, clip.right);
        if (from < to)
            fillSpan(canvas.row(y) + from, to - from, quad);
    }
}

} // namespace marlow
