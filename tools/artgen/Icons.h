// The command bar's 16 x 16 icons and the application icon, drawn on a
// 64 x 64 grid at any size: the program's own at 64, the desktop's at its
// icon theme's sizes.
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

// The application icon's grid, and the size of the program's own.
inline constexpr int AppIconSize = 64;
// A map pin over radio waves, size x size pixels.
QImage appIcon(int size);

} // namespace marlow::artgen
