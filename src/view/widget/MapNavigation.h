// MapNavigation: moving the map's centre with the joystick's four
// directions (the arrow keys) and with the view's two scroll bars, in
// picture pixels whatever the zoom. The bars stand for the map's centre,
// not for an offset of the window's contents, and always show it.
#pragma once

#include "view/MapViewport.h"

#include <QObject>
#include <functional>

class QAbstractScrollArea;
class QScrollBar;

namespace marlow {

class MapNavigation final : public QObject {
public:
    // Works the area's scroll bars; repaint is asked for after every move.
    MapNavigation(MapViewport& viewport, QAbstractScrollArea& area, std::function<void()> repaint);

    // One line step for an arrow key; false, with nothing moved, for any
    // other key.
    bool key(int key);
    // The bars' ranges become the picture's bounds.
    void setRange(const Rect& bounds);
    // The horizontal bar takes the centre's X, the vertical bar its Y.
    void syncBars();

private:
    QScrollBar* bar(Qt::Orientation orientation) const;
    void onAction(Qt::Orientation orientation, int action);
    void onThumbReleased(Qt::Orientation orientation);

    MapViewport& m_viewport;
    QAbstractScrollArea& m_area;
    std::function<void()> m_repaint;
};

} // namespace marlow
