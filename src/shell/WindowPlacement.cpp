// The window's geometry kept in the settings.
#include "shell/WindowPlacement.h"

#include "shell/FrameScale.h"

#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace marlow {

namespace {

const QString GeometryKey = QStringLiteral("window/geometry");

} // namespace

void restorePlacement(QWidget& window, const QSettings& settings) {
    // Qt moves a window left on a screen that is gone back onto one that
    // is there.
    if (window.restoreGeometry(settings.value(GeometryKey).toByteArray()))
        return;
    const QRect available = window.screen()->availableGeometry();
    QRect placed({}, startSize(available));
    placed.moveCenter(available.center());
    window.resize(placed.size());
    window.move(placed.topLeft());
}

void savePlacement(const QWidget& window, QSettings& settings) {
    settings.setValue(GeometryKey, window.saveGeometry());
}

} // namespace marlow
