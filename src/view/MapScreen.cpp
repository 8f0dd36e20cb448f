// The map screen: the visible range of the site picture scaled to the
// window in its own proportions, white margins, the survey marks, and the
// cross-hair combined with AND at the centre. The frame is built in a
// buffer of the window's size (in device pixels), so its cost follows the
// window, not the plan.
#include "view/ScreenPainters.h"
#include "view/ScreenText.h"
#include "view/SitePicture.h"

#include <cmath>

namespace marlow {

namespace {

constexpr int CrosshairHalf = 16;

Rect scaled(const Rect& r, double ratio) {
    const auto at = [ratio](std::int32_t v) {
        return static_cast<std::int32_t>(std::lround(v * ratio));
    };
    return {at(r.left), at(r.top), at(r.right), at(r.bottom)};
}

// The margins: every pixel of the frame outside the destination.
void whiteOutside(QImage& frame, const Rect& destination) {
    const QRect all = frame.rect();
    const QRect inside =
        QRect(destination.left, destination.top, destination.width(), destination.height())
            .intersected(all);
    if (inside.isEmpty()) {
        frame.fill(Qt::white);
        return;
    }
    QPainter painter(&frame);
    const QRect strips[] = {
        {0, 0, all.width(), inside.top()},
        {0, inside.bottom() + 1, all.width(), all.height() - inside.bottom() - 1},
        {0, inside.top(), inside.left(), inside.height()},
        {inside.right() + 1, inside.top(), all.width() - inside.right() - 1, inside.height()}};
    for (const QRect& strip : strips) {
        if (!strip.isEmpty())
            painter.fillRect(strip, Qt::white);
    }
}

} // namespace

void paintMapScreen(QPainter& painter, const QRect& client, const MapViewport& viewport,
                    const SitePicture* picture, const QImage& crosshair, MapFrame& frame) {
    painter.save();
    const std::optional<ViewLayout> layout =
        picture && !picture->isNull() ? viewport.layout({0, 0, client.width(), client.height()})
                                      : std::nullopt;
    if (layout) {
        // The frame in device pixels, so that a high-density screen shows
        // the plan's own detail.
        const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        const QSize size(static_cast<int>(std::lround(client.width() * ratio)),
                         static_cast<int>(std::lround(client.height() * ratio)));
        if (frame.image.size() != size || frame.image.format() != QImage::Format_RGB32) {
            frame.image = QImage(size, QImage::Format_RGB32);
            frame.stamp = 0;
        }
        const Rect destination = scaled(layout->destination, ratio);
        if (frame.stamp != picture->stamp() || frame.destination != destination ||
            frame.source != layout->source) {
            // Drawn in device pixels; the ratio only tells the painter below
            // how to place it.
            frame.image.setDevicePixelRatio(1.0);
            whiteOutside(frame.image, destination);
            picture->render(frame.image, destination, layout->source);
            frame.destination = destination;
            frame.source = layout->source;
            frame.stamp = picture->stamp();
        } else if (frame.marks < picture->markCount()) {
            picture->renderMarks(frame.image, destination, layout->source, frame.marks);
        }
        frame.marks = picture->markCount();
        frame.image.setDevicePixelRatio(ratio);
        painter.drawImage(client.topLeft(), frame.image);
    } else {
        painter.fillRect(client, Qt::white);
    }

    if (!crosshair.isNull()) {
        painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.drawImage(client.left() + client.width() / 2 - CrosshairHalf,
                          client.top() + client.height() / 2 - CrosshairHalf, crosshair);
    }
    painter.restore();
}

} // namespace marlow
