// Drawing the cross-hair, the radar frames and the splash picture.
#include "Pictures.h"

#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <numbers>

namespace marlow::artgen {

namespace {

// --- Cross-hair ---------------------------------------------------------

constexpr int CrosshairSize = 32;
constexpr double CrosshairCenter = 16.5; // the middle of pixel 16
// Radii kept off whole and half pixels so the ring has no stray single
// pixels on its axes.
constexpr double RingOuter = 14.8;
constexpr double RingInner = 11.2;
constexpr double ArrowTip = 3.6;              // distance of a tip from the centre
constexpr double ArrowBase = RingInner + 0.5; // its base merges into the ring
constexpr double ArrowHalfWidth = 3.2;

bool onRing(double dx, double dy) {
    const double d = std::hypot(dx, dy);
    return d >= RingInner && d <= RingOuter;
}

// u runs from the centre outward along one of the four axes, v across it.
bool onArrow(double u, double v) {
    if (u < ArrowTip || u > ArrowBase)
        return false;
    return std::abs(v) <= ArrowHalfWidth * (u - ArrowTip) / (ArrowBase - ArrowTip);
}

// --- Radar --------------------------------------------------------------

constexpr int RadarSize = 104;
constexpr QPointF RadarCenter{52.0, 52.0};
constexpr double RadarRadius = 49.0;
constexpr double SweepTrail = 100.0; // degrees of fading afterglow

struct Blip {
    double bearing; // degrees clockwise from north
    double range;   // fraction of the radius
};
constexpr Blip Blips[] = {{28.0, 0.62}, {118.0, 0.38}, {205.0, 0.78}, {292.0, 0.52}};

// How bright a blip glows: full just after the sweep passed, fading over
// the trail, dim otherwise.
double blipGlow(double bearing, double sweep) {
    const double behind = std::fmod(sweep - bearing + 720.0, 360.0);
    return behind <= SweepTrail ? 1.0 - 0.75 * behind / SweepTrail : 0.25;
}

QPointF polar(double bearing, double radius) {
    const double a = bearing * std::numbers::pi / 180.0;
    return RadarCenter + QPointF(radius * std::sin(a), -radius * std::cos(a));
}

void drawRadarGrid(QPainter& p) {
    p.setPen(QPen(QColor(0, 120, 40), 2.0));
    p.setBrush(Qt::NoBrush);
    for (const double fraction : {0.33, 0.66})
        p.drawEllipse(RadarCenter, RadarRadius * fraction, RadarRadius * fraction);
    for (int bearing = 0; bearing < 180; bearing += 45)
        p.drawLine(polar(bearing, RadarRadius), polar(bearing + 180, RadarRadius));
}

void drawSweep(QPainter& p, double sweep) {
    // QConicalGradient counts degrees anticlockwise from east; the trail
    // runs anticlockwise behind the clockwise-turning leading edge.
    QConicalGradient trail(RadarCenter, 90.0 - sweep);
    trail.setColorAt(0.0, QColor(80, 255, 120, 210));
    trail.setColorAt(SweepTrail / 360.0, QColor(0, 255, 60, 0));
    trail.setColorAt(1.0, QColor(0, 255, 60, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(trail);
    p.drawEllipse(RadarCenter, RadarRadius, RadarRadius);
    p.setPen(QPen(QColor(190, 255, 200), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(RadarCenter, polar(sweep, RadarRadius - 1.0));
}

void drawBlips(QPainter& p, double sweep) {
    p.setPen(Qt::NoPen);
    for (const Blip& blip : Blips) {
        const double glow = blipGlow(blip.bearing, sweep);
        const QPointF at = polar(blip.bearing, blip.range * RadarRadius);
        QRadialGradient halo(at, 6.0);
        halo.setColorAt(0.0, QColor(200, 255, 200, static_cast<int>(255 * glow)));
        halo.setColorAt(1.0, QColor(0, 255, 80, 0));
        p.setBrush(halo);
        p.drawEllipse(at, 6.0, 6.0);
    }
}

// --- Splash -------------------------------------------------------------

constexpr int SplashWidth = 240;
constexpr int SplashHeight = 320;
// The artwork keeps to this band; above and below it the picture is black,
// so the opaque title texts sit on their own colour at any window height.
constexpr int ArtTop = 52;
constexpr int ArtBottom = 194;

void drawFloorPlan(QPainter& p) {
    p.setPen(QPen(QColor(40, 90, 150), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(28.5, ArtTop + 8.5, 183, 124));
    p.setPen(QPen(QColor(40, 90, 150), 1.0));
    p.drawLine(QPointF(28.5, 112.5), QPointF(211.5, 112.5));
    p.drawLine(QPointF(28.5, 136.5), QPointF(211.5, 136.5));
    for (const double x : {78.5, 132.5, 170.5})
        p.drawLine(QPointF(x, ArtTop + 8.5), QPointF(x, 112.5));
    for (const double x : {96.5, 150.5})
        p.drawLine(QPointF(x, 136.5), QPointF(x, ArtTop + 132.5));
}

struct Disc {
    QPointF at;
    QColor color;
};

void drawSurveyDiscs(QPainter& p) {
    const Disc discs[] = {{{120, 124}, QColor(255, 0, 0)},   {{92, 122}, QColor(255, 128, 0)},
                          {{150, 126}, QColor(255, 128, 0)}, {{62, 90}, QColor(255, 255, 0)},
                          {{186, 150}, QColor(255, 255, 0)}, {{48, 160}, QColor(0, 255, 0)},
                          {{194, 80}, QColor(0, 0, 255)},    {{124, 166}, QColor(0, 255, 0)}};
    for (const Disc& disc : discs) {
        QColor fill = disc.color;
        fill.setAlpha(170);
        p.setPen(QPen(disc.color.lighter(130), 1.0));
        p.setBrush(fill);
        p.drawEllipse(disc.at, 5.0, 5.0);
    }
}

void drawWaves(QPainter& p, QPointF source) {
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i) {
        const double r = 12.0 + 11.0 * i;
        p.setPen(QPen(QColor(120, 200, 255, 200 - 45 * i), 2.0, Qt::SolidLine, Qt::RoundCap));
        const QRectF box(source.x() - r, source.y() - r, 2 * r, 2 * r);
        p.drawArc(box, 35 * 16, 110 * 16);
        p.drawArc(box, 215 * 16, 110 * 16);
    }
}

} // namespace

void drawPin(QPainter& p, QPointF tip, double radius, double height) {
    QPainterPath pin;
    const double r = radius;
    const double bend = 0.7 * r;
    const QPointF head(tip.x(), tip.y() - height);
    pin.moveTo(tip);
    pin.cubicTo(tip + QPointF(-3, -bend), head + QPointF(-r, bend), head + QPointF(-r, 0));
    pin.arcTo(QRectF(head.x() - r, head.y() - r, 2 * r, 2 * r), 180, -180);
    pin.cubicTo(head + QPointF(r, bend), tip + QPointF(3, -bend), tip);
    QLinearGradient shade(head + QPointF(-r, -r), head + QPointF(r, r));
    shade.setColorAt(0.0, QColor(255, 110, 90));
    shade.setColorAt(1.0, QColor(190, 20, 20));
    p.setPen(QPen(QColor(90, 0, 0), r / 8.0));
    p.setBrush(shade);
    p.drawPath(pin);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 245, 235));
    p.drawEllipse(head, 0.39 * r, 0.39 * r);
}

QImage crosshairPicture() {
    QImage image(CrosshairSize, CrosshairSize, QImage::Format_RGB32);
    for (int y = 0; y < CrosshairSize; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < CrosshairSize; ++x) {
            const double dx = x + 0.5 - CrosshairCenter;
            const double dy = y + 0.5 - CrosshairCenter;
            const bool black = onRing(dx, dy) || onArrow(dy, dx) || onArrow(-dy, dx) ||
                               onArrow(dx, dy) || onArrow(-dx, dy);
            row[x] = black ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        }
    }
    return image;
}

QImage radarPicture(double sweepDegrees) {
    QImage image(RadarSize, RadarSize, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath scope;
    scope.addEllipse(RadarCenter, RadarRadius, RadarRadius);
    p.fillPath(scope, QColor(0, 28, 8));
    p.setClipPath(scope);
    drawRadarGrid(p);
    drawSweep(p, sweepDegrees);
    drawBlips(p, sweepDegrees);
    p.setClipping(false);
    p.setPen(QPen(QColor(40, 210, 90), 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(RadarCenter, RadarRadius, RadarRadius);
    return image;
}

QImage splashPicture() {
    QImage image(SplashWidth, SplashHeight, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF art(0, ArtTop, SplashWidth, ArtBottom - ArtTop);
    QRadialGradient glow(art.center(), 130.0);
    glow.setColorAt(0.0, QColor(14, 34, 62));
    glow.setColorAt(0.7, QColor(6, 14, 28));
    glow.setColorAt(1.0, QColor(0, 0, 0));
    p.fillRect(art, glow);
    p.setClipRect(art);
    drawFloorPlan(p);
    drawSurveyDiscs(p);
    const QPointF pinTip(120.0, 118.0);
    drawWaves(p, pinTip + QPointF(0, -24));
    drawPin(p, pinTip, 11.0, 24.0);
    return image;
}

} // namespace marlow::artgen
