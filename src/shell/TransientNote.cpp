// The note's look, its place at the bottom of the widget it lies over, and
// its time.
#include "shell/TransientNote.h"

#include <QEvent>
#include <algorithm>

namespace marlow {

TransientNote::TransientNote(QWidget* over) : QLabel(over) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setStyleSheet(QStringLiteral("background: rgba(0, 0, 0, 190); color: white; padding: 0.3em;"));
    hide();
    m_hide.setSingleShot(true);
    connect(&m_hide, &QTimer::timeout, this, &QWidget::hide);
    over->installEventFilter(this);
}

void TransientNote::showText(const QString& text) {
    setText(text);
    place();
    show();
    raise();
    m_hide.start(ShownFor);
}

bool TransientNote::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize)
        place();
    return QLabel::eventFilter(watched, event);
}

void TransientNote::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        place();
}

void TransientNote::place() {
    const QWidget* over = parentWidget();
    const int width = over->width();
    const int height = std::min(heightForWidth(width), over->height());
    setGeometry(0, over->height() - height, width, height);
}

} // namespace marlow
