// Four fixed-width panes in a row, in the dialogs' font.
#include "shell/StatusPanes.h"

#include "dialogs/DialogUnits.h"

#include <QHBoxLayout>
#include <QLabel>
#include <algorithm>
#include <cmath>

namespace marlow {

namespace {

constexpr const char* InitialTexts[StatusPanes::PaneCount] = {"L: 0", "P: 0", "X: 0", "Y: 0"};
constexpr int PaneFrame = QFrame::Panel | QFrame::Sunken;

} // namespace

StatusPanes::StatusPanes(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 1, 0, 1);
    row->setSpacing(0);
    for (int i = 0; i < PaneCount; ++i) {
        auto* pane = new QLabel(QString::fromLatin1(InitialTexts[i]), this);
        pane->setFrameStyle(PaneFrame);
        row->addWidget(pane);
        m_panes[static_cast<std::size_t>(i)] = pane;
    }
    row->addStretch(1);
    setScale(1.0);
}

void StatusPanes::setScale(double scale) {
    setFont(DialogUnits(scale).font());
    // The handheld's row scaled, which takes the same share of the window's
    // width at every scale; but each pane is as wide as one showing the
    // widest position asks to be, in whatever face stands in for the
    // handheld's.
    QLabel widest(QStringLiteral("X: -32768"));
    widest.setFrameStyle(PaneFrame);
    widest.setFont(font());
    const int width =
        std::max(static_cast<int>(std::lround(PaneWidth * scale)), widest.sizeHint().width());
    for (QLabel* pane : m_panes)
        pane->setFixedWidth(width);
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
