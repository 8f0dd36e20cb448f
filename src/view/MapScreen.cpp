// The map screen: the visible range of the site picture stretched over the
// window, white margins, and the cross-hair combined with AND at the centre.
// Its cost does not depend on the number of survey points, which live in
// the picture itself.
#include "view/ScreenPainters.h"
#include "view/ScreenText.h"
#include "view/SitePicture.h"

namespace marlow {

namespace {

constexpr int CrosshairHalf = 16;

void paintPicture(QPainter& painter, const QRect& client, const ViewLayout& layout,
                  const QImage& display) {
    const QRect destination = toQRect(layout.destination).translated(client.topLeft());
    const QRect source = toQRect(layout.source);
    if (!destination.isEmpty() && !source.isEmpty())
        painter.drawImage(destination, display, source);
    for (std::int32_t i = 0; i < layout.marginCount; ++i) {
        const QRect margin = toQRect(layout.margins[static_cast<std::size_t>(i)]);
        painter.fillRect(margin.translated(client.topLeft()), Qt::white);
    }
}

} // namespace

void paintMapScreen(QPainter& painter, const QRect& client, const MapViewport& viewport,
                    const SitePicture* picture, const QImage& crosshair) {
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const std::optional<ViewLayout> layout =
        picture && !picture->display().isNull()
            ? viewport.layout({0, 0, client.width(), client.height()})
            : std::nullopt;
    if (layout)
        paintPicture(painter, client, *layout, picture->display());
    else
        painter.fillRect(client, Qt::white);

    if (!crosshair.isNull()) {
        painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.drawImage(client.left() + client.width() / 2 - CrosshairHalf,
                          client.top() + client.height() / 2 - CrosshairHalf, crosshair);
    }
    painter.restore();
}

} // namespace marlow
