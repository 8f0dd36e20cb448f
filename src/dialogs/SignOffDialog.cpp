// The sign-off dialog: the signature pad and its two buttons.
#include "dialogs/SignOffDialog.h"

#include "dialogs/DialogUnits.h"
#include "dialogs/SignaturePad.h"

#include <QPushButton>
#include <algorithm>

namespace marlow {

namespace {

// Template geometry, in dialog units. The pad's place is (7, 7), 125 x 46;
// the buttons keep their distance below it.
constexpr int DialogWidth = 139;
constexpr int DialogHeight = 109;
constexpr int Margin = 7;
constexpr int PadBottom = 53;

} // namespace

CSignOffDlg::CSignOffDlg(QWidget* owner)
    : QDialog(owner), m_pad(new CSignaturePad(QSize(SignatureWidth, SignatureHeight), this)) {
    const DialogUnits units = DialogUnits::forOwner(owner);
    setWindowTitle(QStringLiteral("Sign Off On Survey"));
    setFont(units.font());

    // The pad is exactly the stored signature's size at every scale: all
    // of what the surveyor writes is saved, and nothing saved lies outside
    // the pad. The controls below it move with its bottom edge.
    m_pad->move(units.x(Margin), units.y(Margin));
    const int shift = m_pad->geometry().bottom() + 1 - units.y(PadBottom);

    auto* clearButton = new QPushButton(QStringLiteral("CLEAR SIGNATURE"), this);
    clearButton->setGeometry(units.rect(7, 61, 125, 14).translated(0, shift));
    clearButton->setAutoDefault(false);
    connect(clearButton, &QPushButton::clicked, m_pad, &CSignaturePad::clear);

    auto* saveButton = new QPushButton(QStringLiteral("SAVE SITE SURVEY"), this);
    saveButton->setGeometry(units.rect(7, 88, 125, 14).translated(0, shift));
    saveButton->setDefault(true);
    connect(saveButton, &QPushButton::clicked, this, &QDialog::accept);

    const int rightMargin = units.x(DialogWidth) - units.x(DialogWidth - Margin);
    setFixedSize(std::max(units.x(DialogWidth), m_pad->geometry().right() + 1 + rightMargin),
                 units.y(DialogHeight) + shift);
}

CSignOffDlg::~CSignOffDlg() = default;

std::uint32_t CSignOffDlg::readSignaturePixel(int x, int y) const {
    return m_pad->readSignaturePixel(x, y);
}

CSignaturePad* CSignOffDlg::pad() const {
    return m_pad;
}

void CSignOffDlg::reject() {
    accept();
}

} // namespace marlow
