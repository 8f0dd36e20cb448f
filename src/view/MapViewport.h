// MapViewport: which rectangle of the site picture fills the window, where
// the cross-hair (the centre of that rectangle) stands, and how window points
// map to picture points. Signed 32-bit arithmetic throughout; every division
// truncates toward zero.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace marlow {

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    bool isEmpty() const { return width() <= 0 || height() <= 0; }
    // The part of this rectangle inside the other (empty if none).
    Rect intersected(const Rect& other) const {
        return {std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                std::min(bottom, other.bottom)};
    }
    bool operator==(const Rect&) const = default;
};

struct MapPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const MapPoint&) const = default;
};

// Where the picture goes in the window: the source rectangle of the picture
// is stretched onto the destination rectangle, and the margins are the
// window strips the picture does not cover.
struct ViewLayout {
    Rect destination;
    Rect source;
    std::array<Rect, 4> margins{};
    std::int32_t marginCount = 0;
};

class MapViewport {
public:
    MapViewport() = default;
    virtual ~MapViewport() = default;

    void setBounds(const Rect& r);
    void showAll(const Rect& r);
    void zoomIn();
    void zoomOut();
    void panLeft(std::int32_t d);
    void panRight(std::int32_t d);
    void panUp(std::int32_t d);
    void panDown(std::int32_t d);
    void setCenterX(std::int32_t x);
    void setCenterY(std::int32_t y);

    // The visible range as a window of this shape shows it: widened on one
    // axis around its middle to the window's proportions, so that the
    // picture keeps its own (the widening shows as margin or more map).
    // Unchanged while the range or the window has no area.
    Rect shownRange(const Rect& client) const;
    // Empty while the visible range has no width or height (before a site
    // is open, or after zooming in onto an edge) or the window no area: no
    // picture point lies under any window point then.
    std::optional<MapPoint> screenToMap(const Rect& client, std::int32_t x, std::int32_t y);
    // Centres on the picture point under the window point, or on the
    // picture's nearest pixel when the point lies in a margin; false (and
    // no change) when no picture point lies there.
    bool centerOnScreenPoint(const Rect& client, std::int32_t x, std::int32_t y);
    // Empty while the visible range has no width or height: the window is
    // then all margin.
    std::optional<ViewLayout> layout(const Rect& client) const;

    std::int32_t centerX() const { return m_centerX; }
    std::int32_t centerY() const { return m_centerY; }
    Rect visibleRange() const { return {m_visLeft, m_visTop, m_visRight, m_visBottom}; }
    Rect bounds() const { return {m_minX, m_minY, m_maxX, m_maxY}; }
    MapPoint probe() const { return {m_probeX, m_probeY}; }

private:
    void recenterX();
    void recenterY();

    std::int32_t m_minX = 0;
    std::int32_t m_maxX = 0;
    std::int32_t m_minY = 0;
    std::int32_t m_maxY = 0;
    std::int32_t m_visLeft = 0;
    std::int32_t m_visRight = 0;
    std::int32_t m_visTop = 0;
    std::int32_t m_visBottom = 0;
    std::int32_t m_centerX = 0;
    std::int32_t m_centerY = 0;
    std::int32_t m_probeX = 0;
    std::int32_t m_probeY = 0;
};

} // namespace marlow
