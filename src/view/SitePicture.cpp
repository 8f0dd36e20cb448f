// SitePicture: the floor plan in its own 8-bit colour table, with survey
// marks rasterised straight into the indexed pixels (a painter cannot draw
// on an 8-bit picture) and mirrored into the 32-bit copy the map paint uses.
#include "view/SitePicture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace marlow {

namespace {

constexpr std::int32_t MarkRadius = 10;
constexpr int ErasePenWidth = 2;

// The pixels [from, to) of one row.
struct Span {
    std::int32_t from = 0;
    std::int32_t to = 0;
};

// The ellipse inscribed in the box (right and bottom edges exclusive),
// shrunk by inset pixels on every side. A pixel belongs to it when the
// pixel's centre lies inside.
class InscribedEllipse {
public:
    InscribedEllipse(const Rect& box, int inset)
        : m_centerX((static_cast<double>(box.left) + box.right) / 2.0),
          m_centerY((static_cast<double>(box.top) + box.bottom) / 2.0),
          m_radiusX((static_cast<double>(box.right) - box.left) / 2.0 - inset),
          m_radiusY((static_cast<double>(box.bottom) - box.top) / 2.0 - inset) {}

    std::optional<Span> row(std::int32_t y) const {
        if (m_radiusX <= 0.0 || m_radiusY <= 0.0)
            return std::nullopt;
        const double dy = (y + 0.5 - m_centerY) / m_radiusY;
        if (dy * dy > 1.0)
            return std::nullopt;
        const double half = m_radiusX * std::sqrt(1.0 - dy * dy);
        const double from = std::ceil(m_centerX - half - 0.5);
        const double to = std::floor(m_centerX + half - 0.5) + 1.0;
        if (from >= to)
            return std::nullopt;
        return Span{static_cast<std::int32_t>(from), static_cast<std::int32_t>(to)};
    }

private:
    double m_centerX;
    double m_centerY;
    double m_radiusX;
    double m_radiusY;
};

// The entry of the colour table nearest to the colour (squared distance in
// red, green and blue; the first of equally near entries).
std::uint8_t nearestEntry(const QList<QRgb>& table, const RgbColor& color) {
    std::uint8_t best = 0;
    int bestDistance = -1;
    for (qsizetype i = 0; i < table.size(); ++i) {
        const int dr = qRed(table[i]) - color.red;
        const int dg = qGreen(table[i]) - color.green;
        const int db = qBlue(table[i]) - color.blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<std::uint8_t>(i);
        }
    }
    return best;
}

bool holdsWholePicture(const SiteBitmap& plan) {
    if (plan.width <= 0 || plan.height <= 0)
        return false;
    const std::uint64_t needed = std::uint64_t{plan.rowStride()} * std::uint64_t(plan.height);
    return plan.pixels.size() >= needed;
}

} // namespace

SitePicture::SitePicture(const SiteBitmap& plan) {
    if (!holdsWholePicture(plan))
        return;
    QImage indexed(plan.width, plan.height, QImage::Format_Indexed8);
    if (indexed.isNull())
        return;
    QList<QRgb> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = 0xFF000000u | plan.rgb(static_cast<std::uint8_t>(i));
    indexed.setColorTable(table);
    for (std::int32_t y = 0; y < plan.height; ++y)
        std::memcpy(indexed.scanLine(y), plan.row(y), static_cast<std::size_t>(plan.width));
    QImage display = indexed.convertToFormat(QImage::Format_RGB32);
    if (display.isNull())
        return;

    m_indexed = std::move(indexed);
    m_display = std::move(display);
    const auto inkOf = [&table](const RgbColor& color) {
        const std::uint8_t index = nearestEntry(table, color);
        return Ink{index, table[index]};
    };
    for (std::size_t band = 0; band < RssiBands.size(); ++band)
        m_bandInks[band] = {inkOf(RssiBands[band].pen), inkOf(RssiBands[band].brush)};
    m_whiteInk = inkOf(toolColor::White);
}

int SitePicture::width() const {
    return m_indexed.width();
}

int SitePicture::height() const {
    return m_indexed.height();
}

void SitePicture::drawMark(std::int32_t x, std::int32_t y, int rssi) {
    // A mark wholly outside the picture paints nothing; leaving it out here
    // also keeps the box's arithmetic clear of overflow at extreme positions.
    if (x <= -MarkRadius || y <= -MarkRadius || x >= width() + MarkRadius ||
        y >= height() + MarkRadius)
        return;
    drawMarkIn({x - MarkRadius, y - MarkRadius, x + MarkRadius, y + MarkRadius}, rssi);
}

void SitePicture::drawMarkIn(const Rect& box, int rssi) {
    const int band = rssiBandNumber(rssi);
    const BandInks& inks = m_bandInks[static_cast<std::size_t>(band - 1)];
    paintDisc(box, inks.pen, RssiBands[static_cast<std::size_t>(band - 1)].penWidth, inks.brush);
}

void SitePicture::eraseMark(const Rect& box) {
    paintDisc(box, m_whiteInk, ErasePenWidth, m_whiteInk);
}

void SitePicture::paintDisc(const Rect& box, Ink pen, int penWidth, Ink brush) {
    if (m_indexed.isNull())
        return;
    const InscribedEllipse outline(box, 0);
    const InscribedEllipse fill(box, penWidth);
    const std::int32_t top = std::max(box.top, 0);
    const std::int32_t bottom = std::min(box.bottom, height());
    for (std::int32_t y = top; y < bottom; ++y) {
        const std::optional<Span> outer = outline.row(y);
        if (!outer)
            continue;
        fillSpan(y, outer->from, outer->to, pen);
        if (const std::optional<Span> inner = fill.row(y))
            fillSpan(y, inner->from, inner->to, brush);
    }
}

void SitePicture::fillSpan(std::int32_t y, std::int32_t from, std::int32_t to, Ink ink) {
    from = std::max(from, 0);
    to = std::min(to, width());
    if (from >= to)
        return;
    std::uint8_t* indexedRow = m_indexed.scanLine(y);
    auto* displayRow = reinterpret_cast<QRgb*>(m_display.scanLine(y));
    std::fill(indexedRow + from, indexedRow + to, ink.index);
    std::fill(displayRow + from, displayRow + to, ink.rgb);
}

const QImage& SitePicture::indexed() const {
    return m_indexed;
}

const QImage& SitePicture::display() const {
    return m_display;
}

} // namespace marlow
