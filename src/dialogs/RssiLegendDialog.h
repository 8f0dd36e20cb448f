// CRssiLegendDlg, "Color of RSSI Values ": a swatch of each of the six RSSI
// colour bands beside the range of values it stands for.
#pragma once

#include "dialogs/ColorSwatch.h"
#include "view/RssiScale.h"

#include <QDialog>
#include <array>

namespace marlow {

class CRssiLegendDlg : public QDialog {
    Q_OBJECT
public:
    explicit CRssiLegendDlg(QWidget* owner);

    // The swatches of bands 1 to 6, in that order.
    const std::array<CColorSwatch*, RssiBandCount>& swatches() const { return m_swatches; }

private:
    std::array<CColorSwatch*, RssiBandCount> m_swatches = {};
};

} // namespace marlow
