// The colour swatch's paint: its whole rectangle in its colour.
#include "dialogs/ColorSwatch.h"

#include <QPainter>

namespace marlow {

CColorSwatch::CColorSwatch(std::uint32_t color, QWidget* parent)
    : QWidget(parent), swatchColor(color) {}

void CColorSwatch::paintEvent(QPaintEvent*) {
    const QColor color(static_cast<int>(swatchColor & 0xFF),
                       static_cast<int>((swatchColor >> 8) & 0xFF),
                       static_cast<int>((swatchColor >> 16) & 0xFF));
    QPainter painter(this);
    painter.fillRect(rect(), color);
}

} // namespace marlow
