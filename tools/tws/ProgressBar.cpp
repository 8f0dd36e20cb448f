// The terminal progress bar, redrawn in place with a carriage return.
#include "ProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace marlow::tws {

namespace {

constexpr int BarWidth = 40;

} // namespace

ProgressBar::ProgressBar(std::string task)
    : m_task(std::move(task)), m_shown(::isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
    if (m_shown && m_percent >= 0)
        std::fputs("\n", stderr);
}

void ProgressBar::show(double share) {
    const int percent = static_cast<int>(std::clamp(share, 0.0, 1.0) * 100);
    if (!m_shown || percent == m_percent)
        return;
    m_percent = percent;
    const int filled = percent * BarWidth / 100;
    std::fprintf(stderr, "\r%s [%s%s] %3d%%", m_task.c_str(), std::string(filled, '#').c_str(),
                 std::string(BarWidth - filled, ' ').c_str(), percent);
    std::fflush(stderr);
}

void ProgressBar::say(const std::string& step) {
    if (!m_shown)
        return;
    m_percent = std::max(m_percent, 0);
    // Spaces clear what is left of the bar.
    std::fprintf(stderr, "\r%s: %-*s", m_task.c_str(), BarWidth + 6, step.c_str());
    std::fflush(stderr);
}

} // namespace marlow::tws
