// Message boxes as QMessageBox shows them.
#include "shell/QtMessageBoxes.h"

#include <QMessageBox>

namespace marlow {

namespace {

QMessageBox::Icon iconOf(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::Exclamation:
        return QMessageBox::Warning;
    case BoxIcon::Error:
        return QMessageBox::Critical;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons buttonsOf(BoxButtons buttons) {
    switch (buttons) {
    case BoxButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case BoxButtons::SaveDiscardCancel:
        return QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    case BoxButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

BoxAnswer answerOf(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return BoxAnswer::Yes;
    case QMessageBox::No:
        return BoxAnswer::No;
    case QMessageBox::Save:
        return BoxAnswer::Save;
    case QMessageBox::Discard:
        return BoxAnswer::Discard;
    case QMessageBox::Cancel:
        return BoxAnswer::Cancel;
    default:
        return BoxAnswer::Ok;
    }
}

} // namespace

BoxAnswer QtMessageBoxes::show(QWidget* owner, const MessageBoxRequest& request) {
    QMessageBox box(iconOf(request.icon), QString::fromLocal8Bit(request.caption),
                    QString::fromLocal8Bit(request.text), buttonsOf(request.buttons), owner);
    if (!request.detail.empty())
        box.setInformativeText(QString::fromLocal8Bit(request.detail));
    if (request.buttons == BoxButtons::SaveDiscardCancel) {
        box.setDefaultButton(QMessageBox::Save);
        box.setEscapeButton(QMessageBox::Cancel);
    }
    const int result = box.exec();
    // A question closed from the title bar has no answer of its own: for the
    // two-way one it is No, for the three-way one Cancel.
    if (request.buttons == BoxButtons::YesNo && result != QMessageBox::Yes)
        return BoxAnswer::No;
    if (request.buttons == BoxButtons::SaveDiscardCancel && result != QMessageBox::Save &&
        result != QMessageBox::Discard)
        return BoxAnswer::Cancel;
    return answerOf(result);
}

} // namespace marlow
