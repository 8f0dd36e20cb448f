// The colour legend: six swatches in the bands' mark colours, their labels
// and a close button.
#include "dialogs/RssiLegendDialog.h"

#include "dialogs/DialogUnits.h"
#include "dialogs/Dialogs.h"

#include <QLabel>
#include <QPushButton>

namespace marlow {

namespace {

constexpr int DialogWidth = 160;
constexpr int DialogHeight = 161;
// Rows of swatch and label, in dialog units.
constexpr int FirstRowTop = 14;
constexpr int RowPitch = 22;
constexpr int RowHeight = 8;
constexpr int SwatchLeft = 15;
constexpr int SwatchWidth = 26;
constexpr int LabelLeft = 55;
constexpr int LabelWidth = 72;

constexpr std::array<const char*, RssiBandCount> BandLabels = {
    "greater than -39 dBm", "-40 thru -49 dBm", "-50 thru -59 dBm",
    "-60 thru -69 dBm",     "-70 thru -79 dBm", "-80 thru -89 dBm",
};

} // namespace

CRssiLegendDlg::CRssiLegendDlg(QWidget* owner) : QDialog(owner) {
    const DialogUnits units = DialogUnits::forOwner(owner);
    setWindowTitle(QStringLiteral("Color of RSSI Values "));
    setFont(units.font());
    setFixedSize(units.size(DialogWidth, DialogHeight));

    for (std::size_t band = 0; band < RssiBands.size(); ++band) {
        const int top = FirstRowTop + static_cast<int>(band) * RowPitch;
        m_swatches[band] = new CColorSwatch(RssiBands[band].brush.colorRef(), this);
        m_swatches[band]->setGeometry(units.rect(SwatchLeft, top, SwatchWidth, RowHeight));
        auto* label = new QLabel(QString::fromLatin1(BandLabels[band]), this);
        label->setGeometry(units.rect(LabelLeft, top, LabelWidth, RowHeight));
    }

    // A desktop window manager need not offer a close button in the
    // caption, so the legend has one of its own below the last row.
    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setGeometry(units.rect(55, 141, 50, 14));
    closeButton->setDefault(true);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

void runRssiLegendDialog(QWidget* owner) {
    CRssiLegendDlg dialog(owner);
    dialog.exec();
}

} // namespace marlow
