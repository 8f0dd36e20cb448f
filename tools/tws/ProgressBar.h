// A progress bar on standard error for long work, shown only when standard
// error is a terminal, so that scripts and logs never see it.
#pragma once

#include <string>

namespace marlow::tws {

class ProgressBar {
public:
    explicit ProgressBar(std::string task);
    // Ends the bar's line when it was shown.
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // Shows the share done, 0 to 1; redrawn only when the percentage moves.
    void show(double share);
    // Names the next step of the work in place of the bar.
    void say(const std::string& step);

private:
    std::string m_task;
    bool m_shown;
    int m_percent = -1;
};

} // namespace marlow::tws
