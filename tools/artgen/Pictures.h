// The view's pictures: the map's cross-hair, the survey screen's four radar
// frames and the title screen's splash.
#pragma once

#include <QImage>
#include <QPainter>

namespace marlow::artgen {

// 32 x 32, pure black on pure white: a thick ring about 30 pixels across
// with four arrowheads pointing at the centre (pixel 16, 16).
QImage crosshairPicture();

// 104 x 104: a polar grid with the sweep's leading edge at the given angle,
// in degrees clockwise from north.
QImage radarPicture(double sweepDegrees);

// A map pin, its tip at the given point and its head, of the given radius,
// height above it; the application icon and the splash both carry one.
void drawPin(QPainter& p, QPointF tip, double radius, double height);

// 240 x 320, dark; the strips behind the title texts stay black.
QImage splashPicture();

} // namespace marlow::artgen
