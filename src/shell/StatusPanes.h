// The status panes above the command bar: L (points taken since the site
// was opened), P (access-point records added since then), and X and Y of
// the last point taken. Only the main frame writes them; command prompts
// never appear here. Their widths and font grow with the window's scale.
#pragma once

#include <QString>
#include <QWidget>
#include <array>

class QLabel;

namespace marlow {

class StatusPanes final : public QWidget {
public:
    static constexpr int PaneCount = 4;
    // At scale 1, the handheld's.
    static constexpr int PaneWidth = 50;

    explicit StatusPanes(QWidget* parent = nullptr);

    // Widths and font for a window at this scale (FrameScale.h).
    void setScale(double scale);

    // Sets the text and repaints the pane at once.
    void setPaneText(int pane, const QString& text);
    QString paneText(int pane) const;
    const QLabel* pane(int index) const { return m_panes.at(static_cast<std::size_t>(index)); }

private:
    std::array<QLabel*, PaneCount> m_panes{};
};

} // namespace marlow
