// CPointInfoDlg, "Location Parms/Delete Request": the selected point's
// position, its number of access-point records and its strongest access
// point, painted in the handheld's 240-pixel layout, and the one action
// "DELETE THIS POINT", which asks the caller to delete the point.
#pragma once

#include "dialogs/DialogUnits.h"
#include "store/SiteState.h"

#include <QDialog>

class QPushButton;

namespace marlow {

class CPointInfoDlg : public QDialog {
    Q_OBJECT
public:
    // The dialog shows the selection summary held in site at each paint.
    CPointInfoDlg(QWidget* owner, const SiteState& site);

    // "DELETE THIS POINT": ends the dialog with DeleteRequested.
    QPushButton* deleteButton() const { return m_deleteButton; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const SiteState& m_site;
    DialogUnits m_units;
    QPushButton* m_deleteButton;
};

} // namespace marlow
