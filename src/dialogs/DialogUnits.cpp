// The dialog-unit conversion and the dialogs' font.
#include "dialogs/DialogUnits.h"

#include "view/ScreenText.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

namespace marlow {

DialogUnits::DialogUnits(double scale) : m_scale(scale > 0.0 ? scale : 1.0) {}

DialogUnits DialogUnits::forOwner(const QWidget* owner) {
    if (!owner)
        return DialogUnits();
    return DialogUnits(static_cast<double>(owner->window()->width()) / LayoutWidth);
}

int DialogUnits::x(int units) const {
    return static_cast<int>(std::lround(units * PixelsPerUnitX * m_scale));
}

int DialogUnits::y(int units) const {
    return static_cast<int>(std::lround(units * PixelsPerUnitY * m_scale));
}

QRect DialogUnits::rect(int left, int top, int width, int height) const {
    const int l = x(left);
    const int t = y(top);
    return {l, t, x(left + width) - l, y(top + height) - t};
}

QSize DialogUnits::size(int width, int height) const {
    return {x(width), y(height)};
}

int DialogUnits::layoutPixels(int pixels) const {
    return static_cast<int>(std::lround(pixels * m_scale));
}

QFont DialogUnits::font() const {
    // Rounded down: the templates' texts were fitted to the handheld's font,
    // so a font any larger than the scaled one would cut them.
    QFont font = screenFont();
    font.setPixelSize(std::max(1, static_cast<int>(std::floor(font.pixelSize() * m_scale))));
    return font;
}

} // namespace marlow
