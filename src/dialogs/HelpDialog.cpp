// The help dialog: the guide's entries in an unsorted list that wraps each
// to the list's width and scrolls up and down.
#include "dialogs/HelpDialog.h"

#include "dialogs/DialogUnits.h"
#include "dialogs/Dialogs.h"
#include "dialogs/HelpText.h"
#include "dialogs/Product.h"

#include <QListWidget>

namespace marlow {

namespace {

constexpr int DialogWidth = 136;
constexpr int DialogHeight = 157;

} // namespace

CHelpDlg::CHelpDlg(QWidget* owner) : QDialog(owner), m_list(new QListWidget(this)) {
    const DialogUnits units = DialogUnits::forOwner(owner);
    setWindowTitle(QStringLiteral("%1 Help").arg(QString::fromLatin1(ProductName)));
    setFont(units.font());
    setFixedSize(units.size(DialogWidth, DialogHeight));

    m_list->setGeometry(units.rect(7, 7, 121, 135));
    m_list->setSortingEnabled(false);
    m_list->setWordWrap(true);
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    for (const char* line : HelpLines)
        m_list->addItem(QString::fromLatin1(line));
}

void runHelpDialog(QWidget* owner) {
    CHelpDlg dialog(owner);
    dialog.exec();
}

} // namespace marlow
