// Four fixed-width panes in a row.
#include "shell/StatusPanes.h"

#include <QHBoxLayout>
#include <QLabel>

namespace marlow {

namespace {

constexpr const char* InitialTexts[StatusPanes::PaneCount] = {"L: 0", "P: 0", "X: 0", "Y: 0"};

} // namespace

StatusPanes::StatusPanes(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 1, 0, 1);
    row->setSpacing(0);
    for (int i = 0; i < PaneCount; ++i) {
        auto* pane = new QLabel(QString::fromLatin1(InitialTexts[i]), this);
        pane->setFixedWidth(PaneWidth);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        row->addWidget(pane);
        m_panes[static_cast<std::size_t>(i)] = pane;
    }
    row->addStretch(1);
}

void StatusPanes::setPaneText(int pane, const QString& text) {
    QLabel* label = m_panes.at(static_cast<std::size_t>(pane));
    label->setText(text);
    label->repaint();
}

QString StatusPanes::paneText(int pane) const {
    return m_panes.at(static_cast<std::size_t>(pane))->text();
}

} // namespace marlow
