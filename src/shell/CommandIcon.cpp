// Command-bar icons made to the device pixels asked for.
#include "shell/CommandIcon.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace marlow {

CommandIconEngine::CommandIconEngine(const QString& smallPicture, const QString& largePicture)
    : m_small(smallPicture), m_large(largePicture) {}

QPixmap CommandIconEngine::pixmap(const QSize& size, QIcon::Mode, QIcon::State) {
    const int side = std::min(size.width(), size.height());
    if (m_made.width() != side) {
        const QImage& source = side <= m_small.width() ? m_small : m_large;
        m_made = QPixmap::fromImage(
            source.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    return m_made;
}

void CommandIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                              QIcon::State state) {
    const qreal ratio = painter->device()->devicePixelRatioF();
    QPixmap picture = pixmap(rect.size() * ratio, mode, state);
    picture.setDevicePixelRatio(ratio);
    painter->drawPixmap(rect.topLeft(), picture);
}

QIconEngine* CommandIconEngine::clone() const {
    return new CommandIconEngine(*this);
}

QIcon commandIcon(const char* smallPicture, const char* largePicture) {
    return QIcon(new CommandIconEngine(QString::fromLatin1(smallPicture),
                                       QString::fromLatin1(largePicture)));
}

} // namespace marlow
