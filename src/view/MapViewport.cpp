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

Rect MapViewport::shownRange(const Rect& client) const {
    Rect range = visibleRange();
    const std::int64_t w = range.width();
    const std::int64_t h = range.height();
    const std::int64_t windowW = client.width();
    const std::int64_t windowH = client.height();
    if (w <= 0 || h <= 0 || windowW <= 0 || windowH <= 0)
        return range;
    if (w * windowH < h * windowW) {
        const std::int64_t extra = (h * windowW + windowH - 1) / windowH - w;
        range.left -= static_cast<std::int32_t>(extra / 2);
        range.right += static_cast<std::int32_t>(extra - extra / 2);
    } else if (w * windowH > h * windowW) {
        const std::int64_t extra = (w * windowH + windowW - 1) / windowW - h;
        range.top -= static_cast<std::int32_t>(extra / 2);
        range.bottom += static_cast<std::int32_t>(extra - extra / 2);
    }
    return range;
}

std::optional<MapPoint> MapViewport::screenToMap(const Rect& client, std::int32_t x,
                                                 std::int32_t y) {
    const Rect shown = shownRange(client);
    const std::int32_t w = shown.width();
    const std::int32_t h = shown.height();
    if (w == 0 || h == 0 || client.width() == 0 || client.height() == 0)
        return std::nullopt;
    m_probeX = shown.left + (w * x) / client.width();
    m_probeY = shown.top + (h * y) / client.height();
    return MapPoint{m_probeX, m_probeY};
}

bool MapViewport::centerOnScreenPoint(const Rect& client, std::int32_t x, std::int32_t y) {
    const auto point = screenToMap(client, x, y);
    if (!point)
        return false;
    // A tap in a margin takes the picture's last pixel on that side.
    setCenterX(std::min(point->x, m_maxX - 1));
    setCenterY(std::min(point->y, m_maxY - 1));
    return true;
}

std::optional<ViewLayout> MapViewport::layout(const Rect& client) const {
    const Rect shown = shownRange(client);
    const std::int32_t visLeft = shown.left;
    const std::int32_t visTop = shown.top;
    const std::int32_t visRight = shown.right;
    const std::int32_t visBottom = shown.bottom;
    const std::int32_t w = visRight - visLeft;
    const std::int32_t h = visBottom - visTop;
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
    if (visLeft <= 0)
        d.left = l - (W * visLeft) / w;
    if (visTop <= 0)
        d.top = t - (H * visTop) / h;
    // The picture's far edge at the same scale as its near one and as
    // screenToMap, so that the picture keeps its proportions and a point
    // shows where a tap there takes it.
    if (visRight > m_maxX)
        d.right = l + static_cast<std::int32_t>((std::int64_t{W} * (m_maxX - visLeft)) / w);
    if (visBottom > m_maxY)
        d.bottom = t + static_cast<std::int32_t>((std::int64_t{H} * (m_maxY - visTop)) / h);
    out.source = {std::max(visLeft, 0), std::max(visTop, 0), std::min(visRight, m_maxX),
                  std::min(visBottom, m_maxY)};

    auto addMargin = [&out](Rect margin) {
        out.margins[static_cast<std::size_t>(out.marginCount++)] = margin;
    };
    if (visLeft <= 0)
        addMargin({0, 0, d.left, H});
    if (visTop <= 0)
        addMargin({0, 0, W, d.top});
    if (visRight > m_maxX)
        addMargin({d.right, 0, r, H});
    if (visBottom > m_maxY)
        addMargin({0, d.bottom, W, b});
    return out;
}

} // namespace marlow
