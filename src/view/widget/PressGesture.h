// PressGesture: tells a tap from a tap-and-hold on the widget whose mouse
// events it watches. A left press waits to become a tap (released on its
// spot) or a hold (held still for half a second); a press that wanders off
// its spot is neither. A right-click is a hold at once, for desktops
// without a stylus.
#pragma once

#include <QObject>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace marlow {

class PressGesture final : public QObject {
public:
    using Handler = std::function<void(QPoint)>;

    // Watches the widget's mouse events, which go no further.
    PressGesture(QWidget& widget, Handler onTap, Handler onHold);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void press(const QMouseEvent& event);
    void move(const QMouseEvent& event);
    void release(const QMouseEvent& event);
    void cancel();

    Handler m_onTap;
    Handler m_onHold;
    QTimer m_holdTimer;
    QPoint m_pressPoint;
    bool m_pending = false;
};

} // namespace marlow
