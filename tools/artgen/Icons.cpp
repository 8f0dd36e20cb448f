// Drawing the icons. The toolbar icons are drawn in a 16 x 16 grid on a
// transparent canvas of that size times the scale, with edges on whole grid
// pixels where they can be, so they stay crisp at their size and at every
// whole multiple of it.
#include "Icons.h"

#include "Pictures.h"

#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace marlow::artgen {

namespace {

constexpr int IconSize = 16;
const QColor Outline(40, 40, 48);

QImage blankIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// A command-bar icon's canvas; its painter draws in the 16 x 16 grid.
struct IconCanvas {
    explicit IconCanvas(int scale) : image(blankIcon(IconSize * scale)), painter(&image) {
        painter.scale(scale, scale);
    }
    // Ends the painting and hands the picture over.
    QImage take() {
        painter.end();
        return std::move(image);
    }
    QImage image;
    QPainter painter;
};

enum class ZoomSign { Plus, Minus };

QImage magnifier(ZoomSign sign, int scale) {
    IconCanvas canvas(scale);
    QPainter& p = canvas.painter;
    p.setRenderHint(QPainter::Antialiasing);
    // Handle first, so the lens rim covers its end.
    p.setPen(QPen(QColor(120, 72, 30), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.0, 10.0), QPointF(14.2, 14.2));
    const QPointF center(6.5, 6.5);
    QRadialGradient glass(center - QPointF(1.5, 1.5), 6.0);
    glass.setColorAt(0.0, QColor(255, 255, 255));
    glass.setColorAt(1.0, QColor(170, 210, 245));
    p.setPen(QPen(Outline, 1.5));
    p.setBrush(glass);
    p.drawEllipse(center, 5.2, 5.2);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor mark(20, 90, 20);
    p.fillRect(QRect(4, 6, 5, 2), mark);
    if (sign == ZoomSign::Plus)
        p.fillRect(QRect(6, 4, 2, 5), mark);
    return canvas.take();
}

QImage discWithGlyph(const QString& glyph, int scale) {
    IconCanvas canvas(scale);
    QPainter& p = canvas.painter;
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient shade(QPointF(0, 0), QPointF(0, 16));
    shade.setColorAt(0.0, QColor(90, 150, 235));
    shade.setColorAt(1.0, QColor(20, 70, 170));
    p.setPen(QPen(QColor(15, 45, 110), 1.0));
    p.setBrush(shade);
    p.drawEllipse(QRectF(0.5, 0.5, 15.0, 15.0));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, glyph);
    return canvas.take();
}

} // namespace

QImage openIcon(int scale) {
    IconCanvas canvas(scale);
    QPainter& p = canvas.painter;
    const QColor back(205, 150, 40);
    const QColor front(250, 205, 80);
    // Back of the folder with its tab.
    p.fillRect(QRect(1, 3, 5, 2), Outline);
    p.fillRect(QRect(1, 4, 13, 10), Outline);
    p.fillRect(QRect(2, 4, 3, 1), back);
    p.fillRect(QRect(2, 5, 11, 8), back);
    // The open front flap, leaning forward.
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath flap;
    flap.moveTo(4.5, 7.5);
    flap.lineTo(15.5, 7.5);
    flap.lineTo(12.5, 13.5);
    flap.lineTo(1.5, 13.5);
    flap.closeSubpath();
    p.setPen(QPen(Outline, 1.0));
    p.setBrush(front);
    p.drawPath(flap);
    return canvas.take();
}

QImage saveIcon(int scale) {
    IconCanvas canvas(scale);
    QPainter& p = canvas.painter;
    const QColor body(40, 80, 170);
    p.fillRect(QRect(1, 1, 14, 14), Outline);
    p.fillRect(QRect(2, 2, 12, 12), body);
    // The sliding metal shutter with its window at the top.
    p.fillRect(QRect(4, 2, 8, 5), QColor(200, 205, 215));
    p.fillRect(QRect(9, 3, 2, 3), body);
    // The paper label at the bottom, with two ruled lines.
    p.fillRect(QRect(3, 9, 10, 5), QColor(250, 250, 250));
    p.fillRect(QRect(4, 10, 8, 1), QColor(150, 150, 170));
    p.fillRect(QRect(4, 12, 8, 1), QColor(150, 150, 170));
    return canvas.take();
}

QImage colorsIcon(int scale) {
    IconCanvas canvas(scale);
    QPainter& p = canvas.painter;
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF center(8.0, 8.0);
    QConicalGradient hues(center, 90.0);
    for (int i = 0; i <= 6; ++i)
        hues.setColorAt(i / 6.0, QColor::fromHsv((i * 60) % 360, 255, 255));
    p.setPen(QPen(Outline, 1.0));
    p.setBrush(hues);
    p.drawEllipse(center, 7.3, 7.3);
    // A white core fading out toward the rim, as on a painter's wheel.
    QRadialGradient core(center, 6.5);
    core.setColorAt(0.0, QColor(255, 255, 255, 255));
    core.setColorAt(0.25, QColor(255, 255, 255, 200));
    core.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(core);
    p.drawEllipse(center, 6.5, 6.5);
    return canvas.take();
}

QImage zoomInIcon(int scale) {
    return magnifier(ZoomSign::Plus, scale);
}

QImage zoomOutIcon(int scale) {
    return magnifier(ZoomSign::Minus, scale);
}

QImage helpIcon(int scale) {
    return discWithGlyph(QStringLiteral("?"), scale);
}

QImage aboutIcon(int scale) {
    return discWithGlyph(QStringLiteral("i"), scale);
}

QImage appIcon(int size) {
    QImage image = blankIcon(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn as vectors on the 64 x 64 grid, so every size is sharp.
    const double scale = static_cast<double>(size) / AppIconSize;
    p.scale(scale, scale);
    QLinearGradient sky(QPointF(0, 0), QPointF(0, AppIconSize));
    sky.setColorAt(0.0, QColor(30, 80, 140));
    sky.setColorAt(1.0, QColor(8, 24, 52));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(1, 1, 62, 62), 12, 12);

    // Radio waves spreading over the ground from where the pin stands.
    const QPointF ground(32.0, 50.0);
    const QColor waves[] = {QColor(0, 255, 0), QColor(255, 255, 0), QColor(255, 128, 0)};
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const double rx = 10.0 + 8.5 * i;
        p.setPen(QPen(waves[i], 3.0));
        p.drawEllipse(ground, rx, rx * 0.34);
    }

    // The pin, its tip on the ground.
    drawPin(p, ground, 12.0, 28.0);
    return image;
}

} // namespace marlow::artgen
