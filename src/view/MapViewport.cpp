#include "MapViewport.h"

#include <algorithm>

namespace marlow {

void MapViewport::setBounds(const Rect& r) {
    m_minX = r.left;
    m_maxX = r.right - r.left;
    m_minY = r.top;
    m_maxY = r.bottom - r.top;
}

void MapViewport::showAll(const Rect& r) {
    m_visLeft = r.left;
    m_visRight = r.right - r.left;
    m_visTop = r.top;
    m_visBottom = r.bottom - r.top;
    m_centerX = r.right / 2;
    m_centerY = r.bottom / 2;
}

void MapViewport::zoomIn() {
    m_visLeft = (m_visLeft + m_centerX) / 2;
    m_visRight = (m_visRight + m_centerX) / 2;
    m_visTop = (m_visTop + m_centerY) / 2;
    m_visBottom = (m_visBottom + m_centerY) / 2;
}

void MapViewport::zoomOut() {
    m_visLeft = std::max(2 * m_visLeft - m_centerX, m_minX);
    m_visRight = std::min(2 * m_visRight - m_centerX, m_maxX);
    m_visTop = std::max(2 * m_visTop - m_centerY, m_minY);
    m_visBottom = std::min(2 * m_visBottom - m_centerY, m_maxY);
    m_centerX = (m_visLeft + m_visRight) / 2;
    m_centerY = (m_visTop + m_visBottom) / 2;
}

// The range keeps its size around the new centre; an odd size loses a pixel
// to the truncated half.
void MapViewport::recenterX() {
    const std::int32_t half = (m_visRight - m_visLeft) / 2;
    m_visLeft = m_centerX - half;
    m_visRight = m_centerX + half;
}

void MapViewport::recenterY() {
    const std::int32_t half = (m_visBottom - m_visTop) / 2;
    m_visTop = m_centerY - half;
    m_visBottom = m_centerY + half;
}

void MapViewport::panLeft(std::int32_t d) {
    m_centerX = std::max(m_centerX - d, m_minX);
    recenterX();
}

void MapViewport::panRight(std::int32_t d) {
    m_centerX = std::min(m_centerX + d, m_maxX);
    recenterX();
}

void MapViewport::panUp(std::int32_t d) {
    m_centerY = std::max(m_centerY - d, m_minY);
    recenterY();
}

void MapViewport::panDown(std::int32_t d) {
    m_centerY = std::min(m_centerY + d, m_maxY);
    recenterY();
}

void MapViewport::setCenterX(std::int32_t x) {
    m_centerX = std::max(std::min(x, m_maxX), 0);
    recenterX();
}

void MapViewport::setCenterY(std::int32_t y) {
    m_centerY = std::max(std::min(y, m_maxY), 0);
    recenterY();
}

std::optional<MapPoint> MapViewport::screenToMap(const Rect& client, std::int32_t x,
                                                 std::int32_t y) {
    const std::int32_t w = m_visRight - m_visLeft;
    const std::int32_t h = m_visBottom - m_visTop;
    if (w == 0 || h == 0 || client.width() == 0 || client.height() == 0)
        return std::nullopt;
    m_probeX = m_visLeft + (w * x) / client.width();
    m_probeY = m_visTop + (h * y) / client.height();
    return MapPoint{m_probeX, m_probeY};
}

bool MapViewport::centerOnScreenPoint(const Rect& client, std::int32_t x, std::int32_t y) {
    const auto point = screenToMap(client, x, y);
    if (!point)
        return false;
    setCenterX(point->x);
    setCenterY(point->y);
    return true;
}

std::optional<ViewLayout> MapViewport::layout(const Rect& client) const {
    const std::int32_t w = m_visRight - m_visLeft;
    const std::int32_t h = m_visBottom - m_visTop;
    if (w == 0 || h == 0)
        return std::nullopt;
    const std::int32_t l = client.left;
    const std::int32_t t = client.top;
    const std::int32_t r = client.right;
    const std::int32_t b = client.bottom;
    const std::int32_t W = r - l;
    const std::int32_t H = b - t;

    ViewLayout out;
    Rect& d = out.destination;
    d = client;
    if (m_visLeft <= 0)
        d.left = l - (W * m_visLeft) / w;
    if (m_visTop <= 0)
        d.top = t - (H * m_visTop) / h;
    if (m_visRight > m_maxX)
        d.right = r - ((m_visRight - m_maxX) * (r - d.left)) / w;
    if (m_visBottom > m_maxY)
        d.bottom = b - ((m_visBottom - m_maxY) * (b - d.top)) / h;
    out.source = {std::max(m_visLeft, 0), std::max(m_visTop, 0), std::min(m_visRight, m_maxX),
                  std::min(m_visBottom, m_maxY)};

    auto addMargin = [&out](Rect margin) {
        out.margins[static_cast<std::size_t>(out.marginCount++)] = margin;
    };
    if (m_visLeft <= 0)
        addMargin({0, 0, d.left, H});
    if (m_visTop <= 0)
        addMargin({0, 0, W, d.top});
    if (m_visRight > m_maxX)
        addMargin({d.right, 0, r, H});
    if (m_visBottom > m_maxY)
        addMargin({0, d.bottom, W, b});
    return out;
}

} // namespace marlow
