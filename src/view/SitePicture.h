// SitePicture: the open site's floor plan as the view keeps it, and the
// survey marks over it. The plan stays as it was loaded, 8 bits a pixel with
// the file's colour table, and is never copied: a frame converts only the
// part it shows, scaled to the window, so paint cost follows the window's
// size and a large plan costs its own size in memory. The marks are a layer
// of their own, drawn over the plan at paint time in the exact colours of
// the RSSI scale; removing one shows the plan beneath. A large plan also
// keeps a copy reduced four times on each side, from which a view zoomed far
// out samples, so that such a frame reads a few megabytes, not the whole
// plan.
#pragma once

#include "sitefile/SiteBitmap.h"
#include "view/MapViewport.h"

#include <QImage>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace marlow {

// How a frame samples the picture: a grid of `across` cells for every
// `width` picture pixels across and `down` cells for every `height` down,
// anchored at the picture's top-left corner. Frame pixel (x, y) is cell
// (x + left, y + top) and shows the picture pixel under the cell's centre
// (the edge pixel, past an edge). Because the grid belongs to the picture,
// a pan at one zoom moves every frame pixel by whole cells.
struct FrameGrid {
    std::int32_t across = 1;
    std::int32_t width = 1;
    std::int32_t down = 1;
    std::int32_t height = 1;
    std::int64_t left = 0;
    std::int64_t top = 0;

    // The grid on which a frame of across x down pixels shows the range:
    // the range's top-left corner falls on the cell corner nearest it.
    static FrameGrid showing(const Rect& range, std::int32_t across, std::int32_t down);

    bool sameScale(const FrameGrid& other) const {
        return across == other.across && width == other.width && down == other.down &&
               height == other.height;
    }
    bool operator==(const FrameGrid&) const = default;
};

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
    // Differs between pictures and changes when a mark is removed, never
    // when one is added: while it stays, the marks are those a frame was
    // drawn with, and any added since follow them (see renderMarks). Never 0.
    std::uint64_t stamp() const { return m_stamp; }

    // Paints the area of the 32-bit target (clipped to it) as the grid
    // shows the plan, then the marks, clipped to the area. A large area is
    // drawn in bands of rows on several threads (see drawInBands).
    void render(QImage& target, const FrameGrid& grid, const Rect& area) const;
    // Paints the marks from the first-th on, as render does: brings a frame
    // drawn with the earlier ones up to date.
    void renderMarks(QImage& target, const FrameGrid& grid, const Rect& area,
                     std::size_t first) const;

private:
    // The plan, or its reduced copy, as a frame samples it.
    struct Level {
        const std::uint8_t* pixels = nullptr;
        std::size_t stride = 0;
        bool topDown = true;
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::int32_t step = 1; // plan pixels per level pixel, each way
        const std::uint8_t* row(std::int32_t y) const;
    };
    struct Mark {
        std::int32_t x = 0;
        std::int32_t y = 0;
        std::uint8_t band = 0; // 0 (strongest) to 5
    };
    // A frame's pixels, which bands of rows drawn on other threads write
    // directly; the columns of the level a frame samples; a frame's discs.
    struct Canvas;
    struct PlanColumns;
    struct DiscShape;
    void reduce();
    Level levelFor(const FrameGrid& grid) const;
    PlanColumns columnsFor(const FrameGrid& grid, const Rect& area) const;
    void renderPlan(const Canvas& canvas, const PlanColumns& columns, const FrameGrid& grid,
                    const Rect& area) const;
    void renderMarks(const Canvas& canvas, const DiscShape& shape, const FrameGrid& grid,
                     const Rect& area, std::size_t first) const;
    static void drawMark(const Canvas& canvas, const DiscShape& shape, const FrameGrid& grid,
                         const Rect& area, const Mark& mark);

    SiteBitmap m_plan;
    std::vector<std::uint8_t> m_reduced;
    std::array<QRgb, 256> m_table{};
    std::vector<Mark> m_marks;
    std::uint64_t m_stamp;
};

} // namespace marlow
