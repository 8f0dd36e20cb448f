#include "DialogTestSupport.h"

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace marlow::test {

std::unique_ptr<QWidget> makeOwner(int width) {
    auto owner = std::make_unique<QWidget>();
    owner->resize(width, width * 4 / 3);
    return owner;
}

QImage renderImage(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void whileModal(std::function<void(QDialog&)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog) {
            action(*dialog);
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the modal run did not end";
                dialog->done(QDialog::Rejected);
            }
            return;
        }
        ADD_FAILURE() << "no modal dialog is running";
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* open = qobject_cast<QDialog*>(widget); open && open->isVisible())
                open->done(QDialog::Rejected);
        }
    });
}

} // namespace marlow::test
