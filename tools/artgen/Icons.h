// The command bar's 16 x 16 icons and the 64 x 64 application icon.
#pragma once

#include <QImage>

namespace marlow::artgen {

QImage openIcon();    // an open folder
QImage saveIcon();    // a floppy disk
QImage colorsIcon();  // a colour wheel
QImage zoomInIcon();  // a magnifier with a plus
QImage zoomOutIcon(); // a magnifier with a minus
QImage helpIcon();    // a question mark in a blue disc
QImage aboutIcon();   // an "i" in a blue disc
QImage appIcon();     // a map pin over radio waves

} // namespace marlow::artgen
