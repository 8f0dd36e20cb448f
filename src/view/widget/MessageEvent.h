// A registered window message as a Qt event: its id comes from the
// registry of message names, and it carries the message's two integer
// parameters.
#pragma once

#include <QEvent>
#include <cstdint>

namespace marlow {

class MessageEvent final : public QEvent {
public:
    MessageEvent(QEvent::Type id, std::uintptr_t wParam, std::intptr_t lParam)
        : QEvent(id), m_wParam(wParam), m_lParam(lParam) {}

    std::uintptr_t wParam() const { return m_wParam; }
    std::intptr_t lParam() const { return m_lParam; }

private:
    std::uintptr_t m_wParam;
    std::intptr_t m_lParam;
};

} // namespace marlow
