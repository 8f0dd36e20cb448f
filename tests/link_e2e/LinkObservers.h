// What the link tells the end-to-end tests: its notifications and warnings,
// counted, with a wait on them, and the port's error messages, collected.
#pragma once

#include "link/LinkEvents.h"
#include "link/serial/LinkMessages.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace marlow::e2e {

class RecordingEvents final : public LinkEvents {
public:
    void notifyDraw() override;
    void warnLowBattery() override;

    int draws() const;
    int lowBatteryWarnings() const;
    // Waits until `condition` holds, testing it again after each call from
    // the link (which makes its changes before it calls); false when it
    // still does not hold after a generous guard time.
    bool waitUntil(const std::function<bool()>& condition);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_called;
    int m_draws = 0;
    int m_lowBatteryWarnings = 0;
};

class ErrorLog final : public LinkMessages {
public:
    void showError(const char* text) override;
    std::vector<std::string> texts() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_texts;
};

} // namespace marlow::e2e
