// The survey and title screens' shared layout scaling, font and text.
#include "view/ScreenText.h"

#include <QFont>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace marlow {

namespace {

// 8 points at 96 dots per inch.
constexpr int FontPixelSize = 11;
// The layout's columns were measured for Arial, whose digits are 0.556 em
// wide. A wider stand-in face is narrowed to those widths so that a MAC
// address and the board's texts still fit their rectangles.
constexpr double ArialDigitEm = 0.556;
constexpr int NarrowestStretch = 75;
constexpr int FullWidth = QFont::Unstretched;

QFont arialAtEightPoints() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(FontPixelSize);
    return font;
}

int stretchToArialWidths() {
    const QFont font = arialAtEightPoints();
    const double digit = QFontMetricsF(font).horizontalAdvance(QStringLiteral("0123456789")) / 10;
    if (digit <= 0.0)
        return FullWidth;
    const int stretch =
        static_cast<int>(std::lround(FullWidth * ArialDigitEm * FontPixelSize / digit));
    return std::clamp(stretch, NarrowestStretch, FullWidth);
}

} // namespace

int scaleToLayoutWidth(QPainter& painter, const QRect& client) {
    const double scale = static_cast<double>(client.width()) / LayoutWidth;
    painter.translate(client.topLeft());
    painter.scale(scale, scale);
    return static_cast<int>(std::int64_t{client.height()} * LayoutWidth / client.width());
}

QFont screenFont() {
    QFont font = arialAtEightPoints();
    // The installed faces do not change while the program runs.
    static const int stretch = stretchToArialWidths();
    font.setStretch(stretch);
    return font;
}

void drawScreenText(QPainter& painter, const Rect& box, const QString& text, const RgbColor& color,
                    const RgbColor& background, TextAlign align) {
    const QRect rect = toQRect(box);
    const int horizontal = align == TextAlign::Center ? Qt::AlignHCenter : Qt::AlignLeft;
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(toQColor(background));
    painter.setPen(toQColor(color));
    painter.drawText(rect, horizontal | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.restore();
}

void drawScreenNotice(QPainter& painter, const Rect& box, const QString& text) {
    constexpr int Inset = 3;
    const QRect rect = toQRect(box);
    painter.save();
    painter.fillRect(rect, QColor(255, 255, 0));
    painter.setPen(Qt::black);
    painter.drawText(rect.adjusted(Inset, Inset, -Inset, -Inset),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, text);
    painter.restore();
}

} // namespace marlow
