// What the survey and title screens share: their 240-pixel-wide layout
// scaled to the window, their font, and opaque text in a rectangle.
#pragma once

#include "view/MapViewport.h"
#include "view/RssiScale.h"

#include <QColor>
#include <QPainter>
#include <QRect>
#include <QString>

namespace marlow {

inline constexpr int LayoutWidth = 240;

inline QRect toQRect(const Rect& r) {
    return {r.left, r.top, r.width(), r.height()};
}

inline QColor toQColor(const RgbColor& c) {
    return {c.red, c.green, c.blue};
}

// Moves the painter's origin to the client's corner and scales it so that a
// layout LayoutWidth pixels wide fills the client's width; returns the
// client's height in layout pixels. The client must not be empty.
int scaleToLayoutWidth(QPainter& painter, const QRect& client);

// The screens' font: "Arial" at 8 points on a handheld's screen of about 96
// dots per inch; where Arial is missing, the nearest sans-serif face,
// narrowed to Arial's widths.
QFont screenFont();

enum class TextAlign { Left, Center };

// Text on its background colour, at the top of the rectangle and cut at its
// edges. The painter's font must be set.
void drawScreenText(QPainter& painter, const Rect& box, const QString& text, const RgbColor& color,
                    const RgbColor& background, TextAlign align = TextAlign::Left);

// A notice the surveyor must not miss: black text on yellow filling the
// rectangle, wrapped to its width.
void drawScreenNotice(QPainter& painter, const Rect& box, const QString& text);

} // namespace marlow
