// CSignaturePad: the sign-off dialog's signature pad. Strokes of a 2-pixel
// black pen go onto an off-screen surface of the pad's size, which outlives
// the pad's time on the screen and is read back pixel by pixel when the
// survey is saved.
#pragma once

#include <QImage>
#include <QPen>
#include <QPoint>
#include <QWidget>
#include <cstdint>

namespace marlow {

// What a surface pixel stores: SignatureInk for pure black and
// SignatureWhite for any other colour (alpha is not looked at).
std::uint32_t signatureValue(QRgb pixel);

class CSignaturePad : public QWidget {
    Q_OBJECT
public:
    // A pad of exactly size pixels with a white surface.
    CSignaturePad(QSize size, QWidget* parent);

    // Whitens the whole surface; the pen stays where it was.
    void clear();

    // The stored value of the surface pixel at (x, y) in pad coordinates;
    // SignatureWhite outside the surface.
    std::uint32_t readSignaturePixel(int x, int y) const;

protected:
    // Strokes follow the left button (a touch arrives as the left button):
    // pressing it puts a dot down, moving with it held draws on from the
    // last point. Other buttons and moves without the left button draw
    // nothing.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // Shows the surface but its outermost one-pixel ring.
    void paintEvent(QPaintEvent* event) override;

private:
    void drawTo(QPoint to);

    QImage surface;
    QPen strokePen;
    QPoint m_penPosition;
};

} // namespace marlow
