// The view's life: construction, the initial update that starts the
// analyzer link, stopping the link, the registered message it handles, and
// the joystick's keys.
#include "view/widget/CMarlowView.h"

#include <QKeyEvent>

namespace marlow {

CMarlowView::CMarlowView(const ViewContext& context, QWidget* parent)
    : QAbstractScrollArea(parent), m_context(context),
      m_session(context.scanList, context.surveyStore),
      m_navigation(m_viewport, *this, [this] { repaint(); }),
      m_gesture(
          *viewport(), [this](QPoint point) { tapAt(point); },
          [this](QPoint point) { inspectAt(point); }),
      m_art(ViewArt::load()) {
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    if (!context.journalFolder.empty())
        m_session.setJournalFolder(context.journalFolder);
    // The scroll bars come with the initial update.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    constexpr int WatchMilliseconds = 500;
    connect(&m_boardWatch, &QTimer::timeout, this, [this] { watchBoard(); });
    m_boardWatch.start(WatchMilliseconds);
}

CMarlowView::~CMarlowView() {
    // The reader thread posts to this view: it ends before the view does.
    stopLink();
}

void CMarlowView::initialUpdate(const DriverRegistry& registry, const LinkStartOptions& options) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_linkEvents = std::make_unique<ViewLinkEvents>(*this, m_context.drawMessage, m_context.boxes);
    m_session.startLink(*m_linkEvents, *m_linkEvents, registry, options, [this] { repaint(); });
}

void CMarlowView::stopLink() {
    if (m_linkEvents)
        m_linkEvents->shutDown();
    m_session.stopLink();
}

void CMarlowView::repaint() {
    viewport()->update();
}

bool CMarlowView::event(QEvent* event) {
    if (event->type() == m_context.drawMessage) {
        onDrawMessage();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

Rect CMarlowView::clientRect() const {
    return {0, 0, viewport()->width(), viewport()->height()};
}

// The joystick: its four directions move the map, its centre press (Return,
// Enter or Space) takes a point under the cross-hair. Escape gives up the
// point being measured.
void CMarlowView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Escape && screenMode == ScreenMode::SurveyScreen) {
        returnToMap();
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        if (siteOpenOrTell())
            takePoint(m_viewport.centerX(), m_viewport.centerY());
        repaint();
    } else if (!m_navigation.key(key)) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

} // namespace marlow
