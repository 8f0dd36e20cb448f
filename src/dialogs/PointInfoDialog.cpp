// The point dialog: its painted information display and the delete button.
#include "dialogs/PointInfoDialog.h"

#include "dialogs/Dialogs.h"
#include "dialogs/PointInfoText.h"
#include "view/ScreenText.h"

#include <QPainter>
#include <QPushButton>
#include <algorithm>

namespace marlow {

namespace {

// Template size, in dialog units.
constexpr int DialogWidth = 146;
constexpr int DialogHeight = 158;

// The blue rules under the headings and below the last line, in layout
// pixels: x 7, 226 wide, 2 high.
constexpr RgbColor RuleColor = toolColor::Blue;
constexpr int RuleLeft = 7;
constexpr int RuleWidth = 226;
constexpr int RuleHeight = 2;

void drawRule(QPainter& painter, int top) {
    painter.fillRect(QRect(RuleLeft, top, RuleWidth, RuleHeight), toQColor(RuleColor));
}

void drawLine(QPainter& painter, const Rect& box, const std::string& text) {
    drawScreenText(painter, box,
                   QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())),
                   toolColor::Black, toolColor::White);
}

} // namespace

CPointInfoDlg::CPointInfoDlg(QWidget* owner, const SiteState& site)
    : QDialog(owner), m_site(site), m_units(DialogUnits::forOwner(owner)),
      m_deleteButton(new QPushButton(QStringLiteral("DELETE THIS POINT"), this)) {
    setWindowTitle(QStringLiteral("Location Parms/Delete Request"));
    setFont(m_units.font());
    // The display was laid out on the handheld, where dialogs fill the
    // screen's width; its rules reach x 233, so the dialog is never
    // narrower than the 240-pixel layout.
    setFixedSize(std::max(m_units.x(DialogWidth), m_units.layoutPixels(DialogUnits::LayoutWidth)),
                 m_units.y(DialogHeight));
    // The handheld's dialogs are white, like the text's background.
    QPalette white = palette();
    white.setColor(QPalette::Window, toQColor(toolColor::White));
    setPalette(white);
    setAutoFillBackground(true);

    m_deleteButton->setGeometry(m_units.rect(7, 137, 121, 14));
    m_deleteButton->setDefault(true);
    connect(m_deleteButton, &QPushButton::clicked, this, [this] { done(DeleteRequested); });
}

void CPointInfoDlg::paintEvent(QPaintEvent*) {
    const PointInfoText text = pointInfoText(m_site);
    QPainter painter(this);
    painter.scale(m_units.scale(), m_units.scale());
    painter.setFont(screenFont());

    drawLine(painter, {7, 5, 155, 19}, "LOCATION INFORMATION");
    drawRule(painter, 20);
    drawLine(painter, {7, 25, 77, 39}, text.x);
    drawLine(painter, {127, 25, 197, 39}, text.y);
    drawLine(painter, {7, 45, 115, 59}, "INFORMATION");
    drawRule(painter, 60);
    drawLine(painter, {7, 65, 77, 79}, text.apCount);
    drawLine(painter, {7, 85, 115, 99}, "STRONGEST AP");
    drawRule(painter, 100);
    drawLine(painter, {7, 105, 237, 119}, text.mac);
    drawLine(painter, {7, 125, 237, 139}, text.ssid);
    drawLine(painter, {7, 145, 237, 169}, text.rssi);
    drawRule(painter, 210);
}

bool runPointInfoDialog(QWidget* owner, const SiteState& site) {
    CPointInfoDlg dialog(owner, site);
    return dialog.exec() == DeleteRequested;
}

} // namespace marlow
