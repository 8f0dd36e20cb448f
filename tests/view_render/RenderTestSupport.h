// Floor plans, rendering into images and pixel checks shared by the view's
// drawing tests.
#pragma once

#include "sitefile/SiteBitmap.h"
#include "view/RssiScale.h"

#include <QImage>
#include <QPainter>
#include <functional>

namespace marlow::test {

// The tinted table's entries nearest to the colours of bands 1 to 6.
inline constexpr std::uint8_t TintedBandEntry[RssiBandCount] = {250, 251, 252, 253, 254, 0};

// A plan of one colour: every pixel is colour-table entry fillIndex of a
// grey-scale table (entry i is grey i) in which entries 250 to 254 are
// changed to colours near red, orange, yellow, green and blue.
inline SiteBitmap tintedPlan(std::int32_t width, std::int32_t height, std::uint8_t fillIndex) {
    SiteBitmap plan;
    plan.width = width;
    plan.height = height;
    plan.topDown = true;
    // Blue, green, red as stored.
    const std::uint8_t tints[5][3] = {
        {6, 6, 245}, {0, 124, 250}, {8, 250, 250}, {6, 245, 6}, {245, 6, 6}};
    for (std::size_t i = 0; i < 256; ++i) {
        for (std::size_t c = 0; c < 3; ++c)
            plan.colorTable[i * 4 + c] = i < 250 || i > 254 ? std::uint8_t(i) : tints[i - 250][c];
    }
    plan.pixels.assign(std::size_t{plan.rowStride()} * std::size_t(height), fillIndex);
    return plan;
}

// Paints into a new image of the given size and format (a window's backing
// store is 32-bit, premultiplied or not), first filled with Unpainted so
// that untouched pixels show.
inline constexpr QRgb Unpainted = 0xFFFF00FFu;
inline QImage renderImage(QSize size, const std::function<void(QPainter&, const QRect&)>& paint,
                          QImage::Format format = QImage::Format_RGB32) {
    QImage image(size, format);
    image.fill(Unpainted);
    QPainter painter(&image);
    paint(painter, QRect(QPoint(0, 0), size));
    painter.end();
    return image;
}

// Pixels of the rectangle (clipped to the image) for which the test holds.
inline int countPixels(const QImage& image, const QRect& area,
                       const std::function<bool(QRgb)>& test) {
    const QRect clipped = area.intersected(image.rect());
    int count = 0;
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            count += test(image.pixel(x, y)) ? 1 : 0;
    }
    return count;
}

inline bool whitish(QRgb c) {
    return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) > 200;
}

} // namespace marlow::test
