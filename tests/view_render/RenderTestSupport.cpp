// Shared helpers of the view's drawing tests.
#include "RenderTestSupport.h"

#include <QPainter>

namespace marlow::test {

SiteBitmap tintedPlan(std::int32_t width, std::int32_t height, std::uint8_t fillIndex) {
    SiteBitmap plan;
    plan.width = width;
    plan.height = height;
    plan.topDown = true;
    for (int i = 0; i < 256; ++i) {
        for (int c = 0; c < 3; ++c)
            plan.colorTable[static_cast<std::size_t>(i * 4 + c)] = static_cast<std::uint8_t>(i);
    }
    // Blue, green, red as stored.
    const std::uint8_t tints[5][3] = {
        {6, 6, 245}, {0, 124, 250}, {8, 250, 250}, {6, 245, 6}, {245, 6, 6}};
    for (int t = 0; t < 5; ++t) {
        for (int c = 0; c < 3; ++c)
            plan.colorTable[static_cast<std::size_t>((250 + t) * 4 + c)] = tints[t][c];
    }
    plan.pixels.assign(
        static_cast<std::size_t>(plan.rowStride()) * static_cast<std::size_t>(height), fillIndex);
    return plan;
}

QImage renderImage(QSize size, const std::function<void(QPainter&, const QRect&)>& paint,
                   QImage::Format format) {
    QImage image(size, format);
    image.fill(Unpainted);
    QPainter painter(&image);
    paint(painter, QRect(QPoint(0, 0), size));
    painter.end();
    return image;
}

QRgb rgbOf(const RgbColor& color) {
    return qRgb(color.red, color.green, color.blue);
}

int countPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& test) {
    const QRect clipped = area.intersected(image.rect());
    int count = 0;
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            count += test(image.pixel(x, y)) ? 1 : 0;
    }
    return count;
}

} // namespace marlow::test
