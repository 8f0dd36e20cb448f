// Counting and waiting on the link's calls.
#include "LinkObservers.h"

#include "SimulatedBoard.h"

namespace marlow::e2e {

void RecordingEvents::notifyDraw() {
    {
        std::lock_guard lock(m_mutex);
        ++m_draws;
    }
    m_called.notify_all();
}

void RecordingEvents::warnLowBattery() {
    {
        std::lock_guard lock(m_mutex);
        ++m_lowBatteryWarnings;
    }
    m_called.notify_all();
}

int RecordingEvents::draws() const {
    std::lock_guard lock(m_mutex);
    return m_draws;
}

int RecordingEvents::lowBatteryWarnings() const {
    std::lock_guard lock(m_mutex);
    return m_lowBatteryWarnings;
}

bool RecordingEvents::waitUntil(const std::function<bool()>& condition) {
    std::unique_lock lock(m_mutex);
    return m_called.wait_for(lock, Patience, condition);
}

void ErrorLog::showError(const char* text) {
    std::lock_guard lock(m_mutex);
    m_texts.emplace_back(text);
}

std::vector<std::string> ErrorLog::texts() const {
    std::lock_guard lock(m_mutex);
    return m_texts;
}

} // namespace marlow::e2e
