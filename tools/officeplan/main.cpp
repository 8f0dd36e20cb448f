// officeplan: draws the floor plan of a small office (offices, a meeting
// room, a kitchen and a corridor) as the picture behind the sample site.
// The plan uses a handful of flat colours and no antialiasing, so it turns
// into an 8-bit floor plan without losing a colour.
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cstdio>

namespace {

constexpr int Width = 800;
constexpr int Height = 560;

constexpr QRgb Paper = qRgb(255, 255, 255);
constexpr QRgb OuterWall = qRgb(0, 0, 0);
constexpr QRgb InnerWall = qRgb(64, 64, 64);
constexpr QRgb CorridorFloor = qRgb(220, 220, 220);
constexpr QRgb Furniture = qRgb(150, 150, 150);

constexpr int OuterThickness = 10;
constexpr int InnerThickness = 6;

// Building outline and corridor, as wall centre lines.
constexpr int Left = 20;
constexpr int Right = 780;
constexpr int Top = 20;
constexpr int Bottom = 540;
constexpr int CorridorTop = 250;
constexpr int CorridorBottom = 310;

struct Wall {
    QPoint from;
    QPoint to;
    int thickness;
    QRgb color;
};

constexpr std::array<Wall, 12> Walls = {{
    {{Left, Top}, {Right, Top}, OuterThickness, OuterWall},
    {{Left, Bottom}, {Right, Bottom}, OuterThickness, OuterWall},
    {{Left, Top}, {Left, Bottom}, OuterThickness, OuterWall},
    {{Right, Top}, {Right, Bottom}, OuterThickness, OuterWall},
    {{Left, CorridorTop}, {Right, CorridorTop}, InnerThickness, InnerWall},
    {{Left, CorridorBottom}, {Right, CorridorBottom}, InnerThickness, InnerWall},
    // North side: three offices and the meeting room.
    {{200, Top}, {200, CorridorTop}, InnerThickness, InnerWall},
    {{380, Top}, {380, CorridorTop}, InnerThickness, InnerWall},
    {{560, Top}, {560, CorridorTop}, InnerThickness, InnerWall},
    // South side: kitchen, office, print room and open-plan office.
    {{250, CorridorBottom}, {250, Bottom}, InnerThickness, InnerWall},
    {{430, CorridorBottom}, {430, Bottom}, InnerThickness, InnerWall},
    {{540, CorridorBottom}, {540, Bottom}, InnerThickness, InnerWall},
}};

// Directions in degrees as QPainter counts them: 0 east, 90 north, 180
// west, 270 south.
struct Door {
    QPoint hinge; // on the wall's centre line
    int along;    // from the hinge across the opening
    int swing;    // direction of the open leaf
    int width;
    int thickness; // of the wall it is cut into
    QRgb floor;    // of the room the leaf opens into
};

constexpr std::array<Door, 10> Doors = {{
    {{150, CorridorTop}, 0, 90, 36, InnerThickness, Paper},
    {{366, CorridorTop}, 180, 90, 36, InnerThickness, Paper},
    {{400, CorridorTop}, 0, 90, 36, InnerThickness, Paper},
    {{590, CorridorTop}, 0, 90, 44, InnerThickness, Paper},
    {{200, 50}, 270, 0, 32, InnerThickness, Paper},
    {{200, CorridorBottom}, 0, 270, 36, InnerThickness, Paper},
    {{270, CorridorBottom}, 0, 270, 36, InnerThickness, Paper},
    {{450, CorridorBottom}, 0, 270, 32, InnerThickness, Paper},
    {{600, CorridorBottom}, 0, 270, 44, InnerThickness, Paper},
    // The entrance, at the west end of the corridor.
    {{Left, 262}, 270, 0, 36, OuterThickness, CorridorFloor},
}};

constexpr std::array<QRect, 22> FurnitureOutlines = {{
    // Office 1 and 2: a desk and a chair each, a cupboard in office 2.
    {40, 40, 80, 40},
    {70, 86, 18, 18},
    {280, 40, 80, 40},
    {310, 86, 18, 18},
    {212, 200, 24, 40},
    // Office 3: two desks facing each other.
    {400, 110, 70, 36},
    {476, 110, 70, 36},
    // Meeting room: a table with chairs along both sides.
    {610, 90, 130, 60},
    {620, 68, 18, 18},
    {660, 68, 18, 18},
    {700, 68, 18, 18},
    {620, 156, 18, 18},
    {660, 156, 18, 18},
    {700, 156, 18, 18},
    // Kitchen: a counter along the south wall, a table.
    {30, 500, 200, 30},
    {90, 380, 70, 50},
    // Office 4 and the print room.
    {300, 470, 100, 40},
    {450, 480, 70, 40},
    // Open-plan office: two rows of desks.
    {580, 360, 80, 40},
    {680, 360, 80, 40},
    {580, 460, 80, 40},
    {680, 460, 80, 40},
}};

struct Label {
    QRect room;
    const char* text;
};

constexpr std::array<Label, 9> Labels = {{
    {{Left, 160, 180, 30}, "OFFICE 1"},
    {{200, 160, 180, 30}, "OFFICE 2"},
    {{380, 160, 180, 30}, "OFFICE 3"},
    {{560, 180, 220, 20}, "MEETING ROOM"},
    {{Left, 440, 230, 30}, "KITCHEN"},
    {{250, 400, 180, 30}, "OFFICE 4"},
    {{430, 400, 110, 30}, "PRINT"},
    {{540, 410, 240, 30}, "OPEN PLAN"},
    {{300, CorridorTop, 300, CorridorBottom - CorridorTop}, "CORRIDOR"},
}};

// A unit step in one of the four directions, in picture coordinates.
QPoint step(int degrees) {
    switch (((degrees % 360) + 360) % 360) {
    case 0:
        return {1, 0};
    case 90:
        return {0, -1};
    case 180:
        return {-1, 0};
    default:
        return {0, 1};
    }
}

// The rectangle a straight wall of some thickness covers between two points.
QRect band(QPoint from, QPoint to, int thickness) {
    const int half = thickness / 2;
    return QRect(from, to).normalized().adjusted(-half, -half, thickness - half - 1,
                                                 thickness - half - 1);
}

void drawDoor(QPainter& painter, const Door& door) {
    const QPoint open = door.hinge + step(door.along) * door.width;
    // The opening, a little wider than the wall so no sliver remains.
    painter.fillRect(band(door.hinge + step(door.along), open, door.thickness + 2),
                     QColor(door.floor));
    const QPoint leafEnd = door.hinge + step(door.swing) * door.width;
    painter.setPen(QPen(QColor(InnerWall), 1));
    painter.drawLine(door.hinge, leafEnd);
    const QRect circle(door.hinge - QPoint(door.width, door.width),
                       QSize(2 * door.width, 2 * door.width));
    const int span = ((door.swing - door.along + 540) % 360) - 180;
    painter.drawArc(circle, door.along * 16, span * 16);
}

void drawLabels(QPainter& painter) {
    QFont font("DejaVu Sans");
    font.setPixelSize(11);
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(QColor(InnerWall));
    // A label goes in only if a font has every letter of it; without fonts
    // the plan is drawn without labels rather than with empty boxes.
    const QFontMetrics metrics(font);
    for (const Label& label : Labels) {
        const QString text = QString::fromLatin1(label.text);
        if (std::all_of(text.begin(), text.end(),
                        [&](QChar c) { return c == u' ' || metrics.inFont(c); }))
            painter.drawText(label.room, Qt::AlignCenter, text);
    }
}

QImage drawPlan() {
    QImage plan(Width, Height, QImage::Format_RGB32);
    plan.fill(QColor(Paper));
    QPainter painter(&plan);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.fillRect(QRect(QPoint(Left, CorridorTop), QPoint(Right, CorridorBottom)),
                     QColor(CorridorFloor));
    painter.setPen(QPen(QColor(Furniture), 1));
    painter.setBrush(Qt::NoBrush);
    for (const QRect& outline : FurnitureOutlines)
        painter.drawRect(outline);
    for (const Wall& wall : Walls)
        painter.fillRect(band(wall.from, wall.to, wall.thickness), QColor(wall.color));
    for (const Door& door : Doors)
        drawDoor(painter, door);
    drawLabels(painter);
    painter.end();
    return plan;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Usage: officeplan OUT.png\n", stderr);
        return 2;
    }
    // Fonts need a GUI application; it never shows a window.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QImageWriter writer(QString::fromLocal8Bit(argv[1]), "png");
    if (!writer.write(drawPlan())) {
        std::fprintf(stderr, "officeplan: %s: %s\n", argv[1], qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
