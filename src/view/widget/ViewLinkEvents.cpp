// The link's events on the user-interface thread.
#include "view/widget/ViewLinkEvents.h"

#include "view/widget/MessageEvent.h"

#include <QCoreApplication>
#include <QWidget>

namespace marlow {

ViewLinkEvents::ViewLinkEvents(QWidget& view, QEvent::Type drawMessage, MessageBoxes& boxes)
    : m_view(view), m_drawMessage(drawMessage), m_boxes(boxes) {}

void ViewLinkEvents::notifyDraw() {
    QCoreApplication::postEvent(&m_view, new MessageEvent(m_drawMessage, 0, 0));
}

void ViewLinkEvents::warnLowBattery() {
    {
        std::lock_guard lock(m_mutex);
        if (m_shuttingDown)
            return;
        m_warningClosed = false;
    }
    // Runs on this object's (the user-interface) thread; dropped unrun if
    // the object goes first.
    QMetaObject::invokeMethod(
        this, [this] { showBatteryWarning(); }, Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_warningClosed || m_shuttingDown; });
}

void ViewLinkEvents::showBatteryWarning() {
    bool shuttingDown = false;
    {
        std::lock_guard lock(m_mutex);
        shuttingDown = m_shuttingDown;
    }
    if (!shuttingDown)
        m_boxes.show(m_view.window(),
                     {LowBatteryText, AppTitle, BoxIcon::None, BoxButtons::Ok, {}});
    {
        std::lock_guard lock(m_mutex);
        m_warningClosed = true;
    }
    m_changed.notify_all();
}

void ViewLinkEvents::showError(const char* text, const std::string& detail) {
    m_boxes.show(m_view.window(), {text, AppTitle, BoxIcon::None, BoxButtons::Ok, detail});
}

void ViewLinkEvents::shutDown() {
    {
        std::lock_guard lock(m_mutex);
        m_shuttingDown = true;
    }
    m_changed.notify_all();
}

} // namespace marlow
