// Floor plans, rendering into images and pixel checks shared by the view's
// drawing tests.
#pragma once

#include "sitefile/SiteBitmap.h"
#include "view/RssiScale.h"

#include <QImage>
#include <QRect>
#include <functional>

class QPainter;

namespace marlow::test {

// A plan of one colour: every pixel is colour-table entry fillIndex of a
// grey-scale table (entry i is grey i) in which entries 250 to 254 are
// changed to colours near red, orange, yellow, green and blue.
SiteBitmap tintedPlan(std::int32_t width, std::int32_t height, std::uint8_t fillIndex);

// The tinted table's entries nearest to the colours of bands 1 to 6.
inline constexpr std::uint8_t TintedBandEntry[RssiBandCount] = {250, 251, 252, 253, 254, 0};

// Paints into a new image of the given size and format (a window's backing
// store is 32-bit, premultiplied or not), first filled with Unpainted so
// that untouched pixels show.
inline constexpr QRgb Unpainted = 0xFFFF00FFu;
QImage renderImage(QSize size, const std::function<void(QPainter&, const QRect&)>& paint,
                   QImage::Format format = QImage::Format_RGB32);

QRgb rgbOf(const RgbColor& color);

// Pixels of the rectangle (clipped to the image) for which the test holds.
int countPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& test);

} // namespace marlow::test
