// CPointInfoDlg, "Location Parms/Delete Request": the selected point's
// position, its number of access-point records and its strongest access
// point, painted in the handheld's 240-pixel layout, and the one action
// "DELETE THIS POINT".
#pragma once

#include "dialogs/DialogUnits.h"
#include "store/RecordList.h"
#include "store/SiteState.h"

#include <QDialog>

class QPushButton;

namespace marlow {

class CPointInfoDlg : public QDialog {
    Q_OBJECT
public:
    // The dialog shows the selection summary held in site at each paint;
    // the delete removes the selected run from store.
    CPointInfoDlg(QWidget* owner, SiteState& site, RecordList& store);

    QPushButton* deleteButton() const { return m_deleteButton; }

    // "DELETE THIS POINT": removes the selected point's records and ends
    // the dialog with PointDeleted.
    void deletePoint();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SiteState& m_site;
    RecordList& m_store;
    DialogUnits m_units;
    QPushButton* m_deleteButton;
};

} // namespace marlow
