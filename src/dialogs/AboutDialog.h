// CAboutDlg: the product's name and version, its icon and the legal notice.
#pragma once

#include <QDialog>

class QLabel;

namespace marlow {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* owner);

    QLabel* iconLabel() const { return m_icon; }

private:
    QLabel* m_icon;
};

} // namespace marlow
