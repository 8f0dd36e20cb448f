// The title screen shown until a site is open: the splash picture, the
// board's firmware and serial-number texts as the start-up handshake brings
// them in, the program's name and two lines about what to do.
#include "view/ScreenPainters.h"
#include "view/ScreenText.h"

namespace marlow {

void paintTitleScreen(QPainter& painter, const QRect& client, const QImage& splash,
                      const std::string& firmware, const std::string& serial,
                      const QString& notice) {
    if (client.isEmpty())
        return;
    painter.save();
    if (!splash.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(client, splash);
    }
    scaleToLayoutWidth(painter, client);
    painter.setFont(screenFont());
    using namespace toolColor;
    const QString firmwareText = QStringLiteral("(Firmware %1)").arg(QString::fromLatin1(firmware));
    const QString serialText = QStringLiteral("(SN %1)").arg(QString::fromLatin1(serial));
    drawScreenText(painter, {5, 3, 115, 18}, firmwareText, White, Black);
    drawScreenText(painter, {155, 3, 235, 18}, serialText, White, Black);
    drawScreenText(painter, {0, 25, LayoutWidth, 37}, QStringLiteral("Tessel Fieldwalk"), White,
                   Black, TextAlign::Center);
    drawScreenText(painter, {0, 205, LayoutWidth, 217},
                   QStringLiteral("Marlow Fieldwalk site-survey recorder"), White, Black,
                   TextAlign::Center);
    drawScreenText(painter, {0, 220, LayoutWidth, 232},
                   QStringLiteral("Tap the open button to load a site"), White, Black,
                   TextAlign::Center);
    if (!notice.isEmpty())
        drawScreenNotice(painter, {10, 40, LayoutWidth - 10, 74}, notice);
    painter.restore();
}

} // namespace marlow
