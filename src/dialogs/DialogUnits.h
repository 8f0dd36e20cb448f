// DialogUnits: the one conversion from dialog-template units to pixels. The
// templates were laid out for the handheld's 240-pixel-wide screen and its
// 8-point dialog font; every dialog scales them by its owner window's width
// over those 240 pixels, as the view scales its screens.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

namespace marlow {

class DialogUnits {
public:
    // Pixels per unit at the handheld's scale: the dialog font's average
    // character is 6 pixels wide and 13 pixels high there.
    static constexpr double PixelsPerUnitX = 1.5;
    static constexpr double PixelsPerUnitY = 1.625;
    // The width the templates and the point layout were made for.
    static constexpr int LayoutWidth = 240;

    explicit DialogUnits(double scale = 1.0);
    // The scale of the owner's window; 1 without an owner or with an empty one.
    static DialogUnits forOwner(const QWidget* owner);

    double scale() const { return m_scale; }

    // Offsets from the dialog's client corner, in pixels.
    int x(int units) const;
    int y(int units) const;
    // A control's rectangle. Its edges are converted one by one, so that
    // controls sharing an edge in the template share it on the screen.
    QRect rect(int left, int top, int width, int height) const;
    QSize size(int width, int height) const;
    // Pixels of the 240-pixel layout, scaled.
    int layoutPixels(int pixels) const;
    // The dialog font at this scale, never larger than the handheld's font
    // scaled.
    QFont font() const;

private:
    double m_scale;
};

} // namespace marlow
