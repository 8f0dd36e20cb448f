// The signature pad: its surface, its strokes and its read-back.
#include "dialogs/SignaturePad.h"

#include "sitefile/SiteFormat.h"

#include <QMouseEvent>
#include <QPainter>

namespace marlow {

namespace {

constexpr int StrokeWidth = 2;
constexpr QRgb RgbBits = 0x00FFFFFF;

} // namespace

std::uint32_t signatureValue(QRgb pixel) {
    return (pixel & RgbBits) == 0 ? SignatureInk : SignatureWhite;
}

CSignaturePad::CSignaturePad(QSize size, QWidget* parent)
    : QWidget(parent), surface(size, QImage::Format_RGB32),
      strokePen(Qt::black, StrokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin) {
    setFixedSize(size);
    // The ring the surface does not cover shows the window's background.
    setAutoFillBackground(true);
    surface.fill(Qt::white);
}

void CSignaturePad::clear() {
    surface.fill(Qt::white);
    update();
}

std::uint32_t CSignaturePad::readSignaturePixel(int x, int y) const {
    if (!surface.valid(x, y))
        return SignatureWhite;
    return signatureValue(surface.pixel(x, y));
}

void CSignaturePad::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_penPosition = event->position().toPoint();
    drawTo(m_penPosition);
}

void CSignaturePad::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    drawTo(event->position().toPoint());
}

void CSignaturePad::drawTo(QPoint to) {
    {
        // Without antialiasing, so that ink is pure black.
        QPainter painter(&surface);
        painter.setPen(strokePen);
        if (to == m_penPosition)
            painter.drawPoint(to);
        else
            painter.drawLine(m_penPosition, to);
    }
    m_penPosition = to;
    update();
}

void CSignaturePad::paintEvent(QPaintEvent*) {
    const QRect inside = surface.rect().adjusted(1, 1, -1, -1);
    QPainter painter(this);
    painter.drawImage(inside, surface, inside);
}

} // namespace marlow
