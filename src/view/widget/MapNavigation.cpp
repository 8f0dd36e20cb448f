// The joystick's directions and the scroll bars' codes as moves of the
// map's centre.
#include "view/widget/MapNavigation.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

namespace marlow {

namespace {

// One joystick or scroll-bar line step, in picture pixels.
constexpr std::int32_t LineStep = 10;

} // namespace

MapNavigation::MapNavigation(MapViewport& viewport, QAbstractScrollArea& area,
                             std::function<void()> repaint)
    : m_viewport(viewport), m_area(area), m_repaint(std::move(repaint)) {
    for (const Qt::Orientation orientation : {Qt::Horizontal, Qt::Vertical}) {
        QScrollBar* scrollBar = bar(orientation);
        scrollBar->setRange(0, 0);
        // Mouse wheel steps: the line steps themselves are LineStep picture
        // pixels whatever the bar's step.
        scrollBar->setSingleStep(LineStep);
        connect(scrollBar, &QScrollBar::actionTriggered, this,
                [this, orientation](int action) { onAction(orientation, action); });
        connect(scrollBar, &QScrollBar::sliderReleased, this,
                [this, orientation] { onThumbReleased(orientation); });
    }
}

QScrollBar* MapNavigation::bar(Qt::Orientation orientation) const {
    return orientation == Qt::Horizontal ? m_area.horizontalScrollBar()
                                         : m_area.verticalScrollBar();
}

bool MapNavigation::key(int key) {
    switch (key) {
    case Qt::Key_Left:
        m_viewport.panLeft(LineStep);
        break;
    case Qt::Key_Right:
        m_viewport.panRight(LineStep);
        break;
    case Qt::Key_Up:
        m_viewport.panUp(LineStep);
        break;
    case Qt::Key_Down:
        m_viewport.panDown(LineStep);
        break;
    default:
        return false;
    }
    syncBars();
    m_repaint();
    return true;
}

void MapNavigation::setRange(const Rect& bounds) {
    bar(Qt::Horizontal)->setRange(0, bounds.right);
    bar(Qt::Vertical)->setRange(0, bounds.bottom);
}

void MapNavigation::syncBars() {
    bar(Qt::Horizontal)->setValue(m_viewport.centerX());
    bar(Qt::Vertical)->setValue(m_viewport.centerY());
}

// Runs while the bar carries out the action: the slider position set here
// is the one the bar then takes, so the bar always shows the centre.
void MapNavigation::onAction(Qt::Orientation orientation, int action) {
    const bool horizontal = orientation == Qt::Horizontal;
    QScrollBar* scrollBar = bar(orientation);
    const QWidget* client = m_area.viewport();
    const std::int32_t page = horizontal ? client->width() : client->height();
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
        horizontal ? m_viewport.setCenterX(scrollBar->sliderPosition())
                   : m_viewport.setCenterY(scrollBar->sliderPosition());
        break;
    default: // to either end: nothing moves
        break;
    }
    scrollBar->setSliderPosition(horizontal ? m_viewport.centerX() : m_viewport.centerY());
    m_repaint();
}

void MapNavigation::onThumbReleased(Qt::Orientation orientation) {
    bar(orientation)
        ->setValue(orientation == Qt::Horizontal ? m_viewport.centerX() : m_viewport.centerY());
    m_repaint();
}

} // namespace marlow
