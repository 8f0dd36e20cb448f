// What the analyzer link tells the view, carried across threads. Every
// change the link reports is posted to the view as MARL_DRAW; the
// low-battery warning is shown on the user-interface thread while the
// link's reader thread waits for it to be closed; the serial layer's errors
// are shown as boxes.
#pragma once

#include "link/LinkEvents.h"
#include "link/serial/LinkMessages.h"
#include "view/widget/MessageBoxes.h"

#include <QEvent>
#include <QObject>
#include <condition_variable>
#include <mutex>

class QWidget;

namespace marlow {

inline constexpr const char* LowBatteryText = "WARNING: Product Battery is Low!";

class ViewLinkEvents final : public QObject, public LinkEvents, public LinkMessages {
public:
    ViewLinkEvents(QWidget& view, QEvent::Type drawMessage, MessageBoxes& boxes);

    // Reader thread.
    void notifyDraw() override;
    // Reader thread: returns once the box has been closed, or at once when
    // the link is being stopped (stopping joins this thread).
    void warnLowBattery() override;
    // User-interface thread (the port is opened there).
    void showError(const char* text, const std::string& detail) override;

    // Releases a reader thread that waits for the battery box and lets any
    // later warning return at once. Called before the link is stopped.
    void shutDown();

private:
    void showBatteryWarning();

    QWidget& m_view;
    QEvent::Type m_drawMessage;
    MessageBoxes& m_boxes;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_shuttingDown = false;
    bool m_warningClosed = false;
};

} // namespace marlow
