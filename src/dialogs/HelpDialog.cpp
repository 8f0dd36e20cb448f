// The help dialog: the guide's lines in an unsorted list that scrolls both
// ways, for the lines wider than the list.
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
    m_list->setWordWrap(false);
    m_list->setTextElideMode(Qt::ElideNone);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    for (const char* line : HelpLines)
        m_list->addItem(QString::fromLatin1(line));
}

void runHelpDialog(QWidget* owner) {
    CHelpDlg dialog(owner);
    dialog.exec();
}

} // namespace marlow
