// CSignOffDlg: "Sign Off On Survey", with the signature pad. After the modal
// run, however it ended, the signature is read back through the
// SignatureSource interface for Save Site Data.
#pragma once

#include "sitefile/SignatureBlock.h"

#include <QDialog>
#include <QImage>

namespace marlow {

class CSignaturePad;

class CSignOffDlg : public QDialog, public SignatureSource {
    Q_OBJECT
public:
    explicit CSignOffDlg(QWidget* owner);
    ~CSignOffDlg() override;

    // 0x00FFFFFF where the pad's surface is not pure black (and outside the
    // surface), 0 where it is black. Valid after the modal run has ended.
    std::uint32_t readSignaturePixel(int x, int y) const override;

    CSignaturePad* pad() const;

    // The survey is saved however the dialog ends, so closing it from the
    // caption (or with Escape) ends it as SAVE SITE SURVEY does.
    void reject() override;

private:
    CSignaturePad* m_pad;
};

} // namespace marlow
