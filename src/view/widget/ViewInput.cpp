// Navigation input: the stylus (a plain tap takes a point, a tap-and-hold or
// a right-click inspects one), the joystick's four directions and centre
// press (arrow keys; Return, Enter or Space), and the two scroll bars. Steps
// are in picture pixels, whatever the zoom.
#include "view/widget/CMarlowView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace marlow {

namespace {

// One joystick or scroll-bar line step, in picture pixels.
constexpr std::int32_t LineStep = 10;

} // namespace

void CMarlowView::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        m_holdTimer.stop();
        m_pressPending = false;
        inspectAt(point);
    } else if (event->button() == Qt::LeftButton) {
        m_pressPoint = point;
        m_pressPending = true;
        m_holdTimer.start();
    }
    event->accept();
}

void CMarlowView::mouseMoveEvent(QMouseEvent* event) {
    // A press that wanders off its spot is neither a tap nor a hold.
    if (m_pressPending && (event->position().toPoint() - m_pressPoint).manhattanLength() >
                              QApplication::startDragDistance()) {
        m_pressPending = false;
        m_holdTimer.stop();
    }
    event->accept();
}

void CMarlowView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_pressPending) {
        m_pressPending = false;
        m_holdTimer.stop();
        tapAt(m_pressPoint);
    }
    event->accept();
}

void CMarlowView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        m_viewport.panLeft(LineStep);
        horizontalScrollBar()->setValue(m_viewport.centerX());
        break;
    case Qt::Key_Right:
        m_viewport.panRight(LineStep);
        horizontalScrollBar()->setValue(m_viewport.centerX());
        break;
    case Qt::Key_Up:
        m_viewport.panUp(LineStep);
        verticalScrollBar()->setValue(m_viewport.centerY());
        break;
    case Qt::Key_Down:
        m_viewport.panDown(LineStep);
        verticalScrollBar()->setValue(m_viewport.centerY());
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        centrePress();
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    repaint();
    event->accept();
}

void CMarlowView::centrePress() {
    if (!siteOpenOrTell())
        return;
    takePoint(m_viewport.centerX(), m_viewport.centerY());
}

// Runs while the bar carries out the action: the slider position set here
// is the one the bar then takes, so the bar always shows the centre.
void CMarlowView::onScrollAction(Qt::Orientation orientation, int action) {
    const bool horizontal = orientation == Qt::Horizontal;
    QScrollBar* bar = horizontal ? horizontalScrollBar() : verticalScrollBar();
    const std::int32_t page = horizontal ? viewport()->width() : viewport()->height();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        horizontal ? m_viewport.panLeft(LineStep) : m_viewport.panUp(LineStep);
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        horizontal ? m_viewport.panRight(LineStep) : m_viewport.panDown(LineStep);
        break;
    case QAbstractSlider::SliderPageStepSub:
        horizontal ? m_viewport.panLeft(page) : m_viewport.panUp(page);
        break;
    case QAbstractSlider::SliderPageStepAdd:
        horizontal ? m_viewport.panRight(page) : m_viewport.panDown(page);
        break;
    case QAbstractSlider::SliderMove:
        horizontal ? m_viewport.setCenterX(bar->sliderPosition())
                   : m_viewport.setCenterY(bar->sliderPosition());
        break;
    default: // to either end: nothing moves
        break;
    }
    bar->setSliderPosition(horizontal ? m_viewport.centerX() : m_viewport.centerY());
    repaint();
}

void CMarlowView::onThumbReleased(Qt::Orientation orientation) {
    if (orientation == Qt::Horizontal)
        horizontalScrollBar()->setValue(m_viewport.centerX());
    else
        verticalScrollBar()->setValue(m_viewport.centerY());
    repaint();
}

} // namespace marlow
