// The tap and tap-and-hold recogniser.
#include "view/widget/PressGesture.h"

#include <QApplication>
#include <QMouseEvent>

namespace marlow {

namespace {

// How long a press must stay still to be a tap-and-hold.
constexpr int TapAndHoldMs = 500;

} // namespace

PressGesture::PressGesture(QWidget& widget, Handler onTap, Handler onHold)
    : m_onTap(std::move(onTap)), m_onHold(std::move(onHold)) {
    widget.installEventFilter(this);
    m_holdTimer.setSingleShot(true);
    m_holdTimer.setInterval(TapAndHoldMs);
    connect(&m_holdTimer, &QTimer::timeout, this, [this] {
        m_pending = false;
        m_onHold(m_pressPoint);
    });
}

bool PressGesture::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        press(static_cast<const QMouseEvent&>(*event));
        return true;
    case QEvent::MouseMove:
        move(static_cast<const QMouseEvent&>(*event));
        return true;
    case QEvent::MouseButtonRelease:
        release(static_cast<const QMouseEvent&>(*event));
        return true;
    default:
        return false;
    }
}

void PressGesture::press(const QMouseEvent& event) {
    const QPoint point = event.position().toPoint();
    if (event.button() == Qt::RightButton) {
        cancel();
        m_onHold(point);
    } else if (event.button() == Qt::LeftButton) {
        m_pressPoint = point;
        m_pending = true;
        m_holdTimer.start();
    }
}

void PressGesture::move(const QMouseEvent& event) {
    if (m_pending && (event.position().toPoint() - m_pressPoint).manhattanLength() >
                         QApplication::startDragDistance())
        cancel();
}

void PressGesture::release(const QMouseEvent& event) {
    if (event.button() == Qt::LeftButton && m_pending) {
        cancel();
        m_onTap(m_pressPoint);
    }
}

void PressGesture::cancel() {
    m_pending = false;
    m_holdTimer.stop();
}

} // namespace marlow
