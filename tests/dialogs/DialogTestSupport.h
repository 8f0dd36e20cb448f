// What the dialog tests share: an owner window of a chosen width, widgets
// rendered into images, and acting on a dialog while its modal run lasts.
#pragma once

#include <QDialog>
#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>

namespace marlow::test {

// A stand-in for the main window; its width sets the dialogs' scale
// (240 pixels is the handheld's scale 1).
std::unique_ptr<QWidget> makeOwner(int width);

// The widget as it paints itself, in 32-bit RGB.
QImage renderImage(QWidget& widget);

// Schedules action for the dialog whose modal run is about to start; the
// action must end the run. A run that never starts fails the test.
void whileModal(std::function<void(QDialog&)> action);

} // namespace marlow::test
