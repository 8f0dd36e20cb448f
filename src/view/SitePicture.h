// SitePicture: the open site's floor plan as the view keeps it, and the
// survey marks over it. The plan stays as it was loaded, 8 bits a pixel with
// the file's colour table, and is never copied: a frame converts only the
// part it shows, scaled to the window, so paint cost follows the window's
// size and a large plan costs its own size in memory. The marks are a layer
// of their own, drawn over the plan at paint time in the exact colours of
// the RSSI scale; removing one shows the plan beneath.
#pragma once

#include "sitefile/SiteBitmap.h"
#include "view/MapViewport.h"

#include <QImage>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace marlow {

class SitePicture {
public:
    // Takes the plan's pixels over. A plan without all its pixels gives an
    // empty picture.
    explicit SitePicture(SiteBitmap plan);

    bool isNull() const { return m_plan.width <= 0; }
    int width() const { return m_plan.width; }
    int height() const { return m_plan.height; }
    // The plan's colour at (x, y), 0xFFRRGGBB.
    QRgb planPixel(int x, int y) const;

    // A point's disc, 20 picture pixels across around (x, y), in the colour
    // of the RSSI's band. Later marks lie over earlier ones.
    void addMark(std::int32_t x, std::int32_t y, int rssi);
    // Removes the earliest mark at (x, y), as the store removes the first
    // point found there; false when there is none.
    bool removeMark(std::int32_t x, std::int32_t y);
    std::size_t markCount() const { return m_marks.size(); }

    // Paints the source rectangle of the plan, scaled to the destination
    // rectangle of the 32-bit target (nearest pixel), then the marks that
    // fall in it, clipped to the destination.
    void render(QImage& target, const Rect& destination, const Rect& source) const;

private:
    struct Mark {
        std::int32_t x = 0;
        std::int32_t y = 0;
        QRgb color = 0;
    };
    void renderPlan(QImage& target, const Rect& destination, const Rect& source) const;
    void renderMarks(QImage& target, const Rect& destination, const Rect& source) const;

    SiteBitmap m_plan;
    std::array<QRgb, 256> m_table{};
    std::vector<Mark> m_marks;
};

} // namespace marlow
