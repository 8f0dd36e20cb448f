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

} // namespace

BoxAnswer QtMessageBoxes::show(QWidget* owner, const MessageBoxRequest& request) {
    const bool question = request.buttons == BoxButtons::YesNo;
    QMessageBox box(iconOf(request.icon), QString::fromLocal8Bit(request.caption),
                    QString::fromLocal8Bit(request.text),
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
    if (!request.detail.empty())
        box.setInformativeText(QString::fromLocal8Bit(request.detail));
    const int result = box.exec();
    if (!question)
        return BoxAnswer::Ok;
    return result == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
}

} // namespace marlow
