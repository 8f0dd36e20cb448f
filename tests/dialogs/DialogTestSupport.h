// What the dialog tests share: an owner window of a chosen width (240 pixels
// is the handheld's scale 1), widgets rendered into images, and acting on a
// dialog while its modal run lasts.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace marlow::test {

inline std::unique_ptr<QWidget> makeOwner(int width) {
    auto owner = std::make_unique<QWidget>();
    owner->resize(width, width * 4 / 3);
    return owner;
}

inline QImage renderImage(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Schedules action for the dialog whose modal run is about to start; the
// action must end the run.
inline void whileModal(std::function<void(QDialog&)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no modal dialog is running";
        action(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the modal run did not end";
            dialog->done(QDialog::Rejected);
        }
    });
}

} // namespace marlow::test
