// The map screen: the visible range of the site picture scaled to the
// window in its own proportions, white margins, the survey marks, and the
// cross-hair combined with AND at the centre. The frame is built in a
// buffer of the window's size (in device pixels), so its cost follows the
// window, not the plan.
#include "view/ScreenPainters.h"
#include "view/ScreenText.h"
#include "view/SitePicture.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

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

// Moves the image's pixels by (-dx, -dy): the pixel at (x + dx, y + dy)
// comes to (x, y). |dx| and |dy| are below the image's width and height.
void shiftPixels(QImage& image, std::int32_t dx, std::int32_t dy) {
    const std::int32_t columns = image.width() - std::abs(dx);
    const std::int32_t rows = image.height() - std::abs(dy);
    const std::int32_t toX = std::max(-dx, 0);
    const std::int32_t fromX = std::max(dx, 0);
    const auto moveRow = [&](std::int32_t to, std::int32_t from) {
        std::memmove(reinterpret_cast<QRgb*>(image.scanLine(to)) + toX,
                     reinterpret_cast<const QRgb*>(image.constScanLine(from)) + fromX,
                     static_cast<std::size_t>(columns) * sizeof(QRgb));
    };
    if (dy >= 0) {
        for (std::int32_t y = 0; y < rows; ++y)
            moveRow(y, y + dy);
    } else {
        for (std::int32_t y = rows - 1; y >= 0; --y)
            moveRow(y - dy, y);
    }
}

// The whole frame drawn from the picture.
void drawAfresh(MapFrame& frame, const SitePicture& picture, const Rect& destination,
                const FrameGrid& grid) {
    whiteOutside(frame.image, destination);
    picture.render(frame.image, grid, destination);
}

// The frame after a pan at the same zoom: what it already shows moves by
// whole pixels, and only the part newly in view is drawn from the picture.
void drawMoved(MapFrame& frame, const SitePicture& picture, const Rect& destination,
               const FrameGrid& grid) {
    const std::int64_t dx = grid.left - frame.grid.left;
    const std::int64_t dy = grid.top - frame.grid.top;
    if (std::abs(dx) >= frame.image.width() || std::abs(dy) >= frame.image.height()) {
        drawAfresh(frame, picture, destination, grid);
        return;
    }
    const auto moveX = static_cast<std::int32_t>(dx);
    const auto moveY = static_cast<std::int32_t>(dy);
    const Rect all{0, 0, frame.image.width(), frame.image.height()};
    const Rect area = destination.intersected(all);
    const Rect before = frame.destination.intersected(all);
    const Rect kept = area.intersected(
        {before.left - moveX, before.top - moveY, before.right - moveX, before.bottom - moveY});
    if (kept.isEmpty()) {
        drawAfresh(frame, picture, destination, grid);
        return;
    }
    shiftPixels(frame.image, moveX, moveY);
    // The area less what is kept: the strips above and below it, then
    // those beside it.
    const Rect strips[] = {{area.left, area.top, area.right, kept.top},
                           {area.left, kept.bottom, area.right, area.bottom},
                           {area.left, kept.top, kept.left, kept.bottom},
                           {kept.right, kept.top, area.right, kept.bottom}};
    for (const Rect& strip : strips) {
        if (!strip.isEmpty())
            picture.render(frame.image, grid, strip);
    }
    whiteOutside(frame.image, destination);
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
        const FrameGrid grid =
            FrameGrid::showing(viewport.shownRange({0, 0, client.width(), client.height()}),
                               size.width(), size.height());
        // Drawn in device pixels; the ratio only tells the painter below how
        // to place it.
        frame.image.setDevicePixelRatio(1.0);
        if (frame.stamp != picture->stamp() || !frame.grid.sameScale(grid)) {
            drawAfresh(frame, *picture, destination, grid);
            frame.marks = picture->markCount();
        } else if (frame.grid != grid || frame.destination != destination) {
            drawMoved(frame, *picture, destination, grid);
        }
        frame.destination = destination;
        frame.grid = grid;
        frame.stamp = picture->stamp();
        // Marks added since the frame was drawn go on top of it.
        picture->renderMarks(frame.image, grid, destination, frame.marks);
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
