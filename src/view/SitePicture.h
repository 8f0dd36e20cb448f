// SitePicture: the open site's floor plan as the view keeps it. The picture
// keeps the file's 8-bit colour table; survey marks are painted into it once
// (in the nearest colours of that table), so a repaint of the map costs the
// same however many points the site holds.
#pragma once

#include "sitefile/SiteBitmap.h"
#include "view/MapViewport.h"
#include "view/RssiScale.h"

#include <QImage>
#include <array>
#include <cstdint>

namespace marlow {

class SitePicture {
public:
    explicit SitePicture(const SiteBitmap& plan);

    int width() const;
    int height() const;

    // A disc inscribed in (x - 10, y - 10)-(x + 10, y + 10), outlined with
    // the pen of the RSSI's colour band and filled with its brush; clipped
    // to the picture.
    void drawMark(std::int32_t x, std::int32_t y, int rssi);
    // The same disc in an arbitrary box (the viewport's markRect).
    void drawMarkIn(const Rect& box, int rssi);
    // A white disc (2-pixel white outline, white fill) in the box: whitens
    // the mark of a deleted point (the viewport's eraseRect).
    void eraseMark(const Rect& box);

    // The 8-bit picture with the file's colour table.
    const QImage& indexed() const;
    // What the map paint stretches: the picture in 32-bit colour, kept in
    // step with every mark.
    const QImage& display() const;

private:
    // A colour as painted: its nearest colour-table entry and that entry's
    // colour, for the 8-bit and the 32-bit picture.
    struct Ink {
        std::uint8_t index = 0;
        QRgb rgb = 0;
    };
    struct BandInks {
        Ink pen;
        Ink brush;
    };
    void paintDisc(const Rect& box, Ink pen, int penWidth, Ink brush);
    // Paints the pixels [from, to) of row y, clipped to the picture.
    void fillSpan(std::int32_t y, std::int32_t from, std::int32_t to, Ink ink);

    QImage m_indexed;
    QImage m_display;
    std::array<BandInks, RssiBandCount> m_bandInks{};
    Ink m_whiteInk;
};

} // namespace marlow
