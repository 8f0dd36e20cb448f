// The view's life: construction, the initial update that starts the
// analyzer link, stopping the link, and the requests that refresh the
// window and its scroll bars.
#include "view/widget/CMarlowView.h"

#include <QScrollBar>

namespace marlow {

namespace {

// How long a press must stay still to be a tap-and-hold.
constexpr int TapAndHoldMs = 500;

} // namespace

CMarlowView::CMarlowView(const ViewContext& context, QWidget* parent)
    : QAbstractScrollArea(parent), m_context(context), m_art(ViewArt::load()) {
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    // The scroll bars come with the initial update.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    horizontalScrollBar()->setRange(0, 0);
    verticalScrollBar()->setRange(0, 0);
    // Mouse wheel steps: the line steps themselves are 10 picture pixels
    // whatever the bar's step.
    horizontalScrollBar()->setSingleStep(10);
    verticalScrollBar()->setSingleStep(10);
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { onScrollAction(Qt::Horizontal, action); });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { onScrollAction(Qt::Vertical, action); });
    connect(horizontalScrollBar(), &QScrollBar::sliderReleased, this,
            [this] { onThumbReleased(Qt::Horizontal); });
    connect(verticalScrollBar(), &QScrollBar::sliderReleased, this,
            [this] { onThumbReleased(Qt::Vertical); });

    m_holdTimer.setSingleShot(true);
    m_holdTimer.setInterval(TapAndHoldMs);
    connect(&m_holdTimer, &QTimer::timeout, this, [this] {
        m_pressPending = false;
        inspectAt(m_pressPoint);
    });
}

CMarlowView::~CMarlowView() {
    // The reader thread posts to this view: it ends before the view does.
    stopLink();
}

void CMarlowView::initialUpdate(const DriverRegistry& registry, const LinkStartOptions& options) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_linkEvents = std::make_unique<ViewLinkEvents>(*this, m_context.drawMessage, m_context.boxes);
    m_link =
        std::make_unique<LinkSession>(*m_linkEvents, m_context.scanList, *m_linkEvents, m_clock);
    m_link->start(registry, options, [this] { repaint(); });
}

void CMarlowView::stopLink() {
    if (m_linkEvents)
        m_linkEvents->shutDown();
    if (m_link)
        m_link->stop();
}

void CMarlowView::syncScrollBars() {
    horizontalScrollBar()->setValue(m_viewport.centerX());
    verticalScrollBar()->setValue(m_viewport.centerY());
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

void CMarlowView::scrollContentsBy(int, int) {}

Rect CMarlowView::clientRect() const {
    return {0, 0, viewport()->width(), viewport()->height()};
}

} // namespace marlow
