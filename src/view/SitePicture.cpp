// SitePicture: the 8-bit plan converted and scaled a frame at a time, and
// the marks rasterised over it as discs of their band's colour.
#include "view/SitePicture.h"

#include "view/RssiScale.h"

#include <algorithm>
#include <cmath>

namespace marlow {

namespace {

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

QRgb opaque(const RgbColor& color) {
    return qRgb(color.red, color.green, color.blue);
}

// The destination clipped to the target.
Rect clipped(const QImage& target, const Rect& destination) {
    return {std::max(destination.left, 0), std::max(destination.top, 0),
            std::min(destination.right, target.width()),
            std::min(destination.bottom, target.height())};
}

// The source coordinate whose pixel shows at offset `at` of `destination`
// target pixels: the one under the target pixel's centre.
std::int32_t sourceAt(std::int64_t at, std::int32_t destination, std::int32_t sourceStart,
                      std::int32_t source) {
    const std::int64_t offset = ((2 * at + 1) * source) / (2 * std::int64_t{destination});
    return sourceStart + static_cast<std::int32_t>(std::clamp<std::int64_t>(offset, 0, source - 1));
}

} // namespace

SitePicture::SitePicture(SiteBitmap plan) {
    if (!holdsWholePicture(plan))
        return;
    m_plan = std::move(plan);
    for (int i = 0; i < 256; ++i)
        m_table[static_cast<std::size_t>(i)] =
            0xFF000000u | m_plan.rgb(static_cast<std::uint8_t>(i));
}

QRgb SitePicture::planPixel(int x, int y) const {
    return m_table[m_plan.row(y)[x]];
}

void SitePicture::addMark(std::int32_t x, std::int32_t y, int rssi) {
    m_marks.push_back({x, y, opaque(rssiBand(rssi).brush)});
}

bool SitePicture::removeMark(std::int32_t x, std::int32_t y) {
    const auto found = std::find_if(m_marks.begin(), m_marks.end(),
                                    [&](const Mark& m) { return m.x == x && m.y == y; });
    if (found == m_marks.end())
        return false;
    m_marks.erase(found);
    return true;
}

void SitePicture::render(QImage& target, const Rect& destination, const Rect& source) const {
    if (isNull() || destination.width() <= 0 || destination.height() <= 0 || source.width() <= 0 ||
        source.height() <= 0 || source.left < 0 || source.top < 0 || source.right > width() ||
        source.bottom > height())
        return;
    renderPlan(target, destination, source);
    renderMarks(target, destination, source);
}

void SitePicture::renderPlan(QImage& target, const Rect& destination, const Rect& source) const {
    const Rect area = clipped(target, destination);
    if (area.width() <= 0 || area.height() <= 0)
        return;
    // Which plan column each target column shows, once per frame.
    std::vector<std::int32_t> columns(static_cast<std::size_t>(area.width()));
    for (std::int32_t x = area.left; x < area.right; ++x)
        columns[static_cast<std::size_t>(x - area.left)] =
            sourceAt(x - destination.left, destination.width(), source.left, source.width());
    std::int32_t shownRow = -1;
    const QRgb* shown = nullptr;
    for (std::int32_t y = area.top; y < area.bottom; ++y) {
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y)) + area.left;
        const std::int32_t row =
            sourceAt(y - destination.top, destination.height(), source.top, source.height());
        // A row that shows the same plan row as the one above is a copy.
        if (row == shownRow) {
            std::copy_n(shown, columns.size(), out);
            continue;
        }
        const std::uint8_t* pixels = m_plan.row(row);
        for (std::size_t i = 0; i < columns.size(); ++i)
            out[i] = m_table[pixels[columns[i]]];
        shownRow = row;
        shown = out;
    }
}

void SitePicture::renderMarks(QImage& target, const Rect& destination, const Rect& source) const {
    const Rect area = clipped(target, destination);
    if (area.width() <= 0 || area.height() <= 0 || m_marks.empty())
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
    const std::int32_t reachX = static_cast<std::int32_t>(std::ceil(radiusX)) + 1;
    // Marks farther than this from the source rectangle cannot reach it.
    const double marginX = reachX / scaleX + 1;
    const double marginY = reachY / scaleY + 1;
    const double left = source.left - marginX;
    const double right = source.right + marginX;
    const double top = source.top - marginY;
    const double bottom = source.bottom + marginY;
    const auto bytesPerLine = static_cast<std::ptrdiff_t>(target.bytesPerLine());
    uchar* const bits = target.bits();
    for (const Mark& mark : m_marks) {
        if (mark.x < left || mark.x > right || mark.y < top || mark.y > bottom)
            continue;
        const auto centerX = static_cast<std::int32_t>(
            std::lround(destination.left + (mark.x - source.left) * scaleX));
        const auto centerY = static_cast<std::int32_t>(
            std::lround(destination.top + (mark.y - source.top) * scaleY));
        for (const Span& span : spans) {
            const std::int32_t y = centerY + span.dy;
            if (y < area.top || y >= area.bottom)
                continue;
            const std::int32_t from = std::max(centerX + span.from, area.left);
            const std::int32_t to = std::min(centerX + span.to, area.right);
            if (from < to) {
                auto* row = reinterpret_cast<QRgb*>(bits + y * bytesPerLine);
                std::fill(row + from, row + to, mark.color);
            }
        }
    }
}

} // namespace marlow
