// The status panes above the command bar: L (points taken since the site
// was opened), P (access-point records added since then), and X and Y of
// the last point taken. Only the main frame writes them; command prompts
// never appear here.
#pragma once

#include <QString>
#include <QWidget>
#include <array>

class QLabel;

namespace marlow {

class StatusPanes final : public QWidget {
public:
    static constexpr int PaneCount = 4;
    static constexpr int PaneWidth = 50;

    explicit StatusPanes(QWidget* parent = nullptr);

    // Sets the text and repaints the pane at once.
    void setPaneText(int pane, const QString& text);
    QString paneText(int pane) const;

private:
    std::array<QLabel*, PaneCount> m_panes{};
};

} // namespace marlow
