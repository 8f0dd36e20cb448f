// CHelpDlg: the built-in user guide in a scrolling list of wrapped entries.
#pragma once

#include <QDialog>

class QListWidget;

namespace marlow {

class CHelpDlg : public QDialog {
    Q_OBJECT
public:
    explicit CHelpDlg(QWidget* owner);

    QListWidget* list() const { return m_list; }

private:
    QListWidget* m_list;
};

} // namespace marlow
