// The About box: icon, version line, two lines of legal notice and OK.
#include "dialogs/AboutDialog.h"

#include "base/Version.h"
#include "dialogs/DialogUnits.h"
#include "dialogs/Dialogs.h"
#include "dialogs/Product.h"
#include "view/ArtPaths.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <algorithm>

namespace marlow {

namespace {

constexpr int DialogWidth = 160;
constexpr int DialogHeight = 95;

constexpr char LegalNoticeFirst[] = "Copyright (C) 2026";
constexpr char LegalNoticeSecond[] = "All rights reserved.";

void addText(QWidget* dialog, const QString& text, QRect place) {
    auto* label = new QLabel(text, dialog);
    label->setGeometry(place);
}

} // namespace

CAboutDlg::CAboutDlg(QWidget* owner) : QDialog(owner), m_icon(new QLabel(this)) {
    const DialogUnits units = DialogUnits::forOwner(owner);
    setWindowTitle(QStringLiteral("About %1").arg(QString::fromLatin1(ProductName)));
    setFont(units.font());
    setFixedSize(units.size(DialogWidth, DialogHeight));

    // The icon keeps its square shape within its 20 x 20 unit place.
    const QRect iconPlace = units.rect(10, 11, 20, 20);
    const int side = std::min(iconPlace.width(), iconPlace.height());
    m_icon->setGeometry(QRect(iconPlace.topLeft(), QSize(side, side)));
    m_icon->setPixmap(QPixmap(QString::fromLatin1(art::AppIcon))
                          .scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));

    addText(this,
            QStringLiteral("%1 v%2").arg(QString::fromLatin1(ProductName),
                                         QString::fromLatin1(ProgramVersion)),
            units.rect(39, 15, 99, 8));
    addText(this, QString::fromLatin1(LegalNoticeFirst), units.rect(39, 30, 91, 8));
    addText(this, QString::fromLatin1(LegalNoticeSecond), units.rect(39, 46, 63, 8));

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setGeometry(units.rect(54, 65, 50, 14));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void runAboutDialog(QWidget* owner) {
    CAboutDlg dialog(owner);
    dialog.exec();
}

} // namespace marlow
