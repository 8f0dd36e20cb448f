// The command bar's 16 x 16 icons, drawn at that size times the scale, and
// the application icon, drawn on a 64 x 64 grid at any size: the program's
// own at 64, the desktop's at its icon theme's sizes.
#pragma once

#include <QImage>

namespace marlow::artgen {

QImage openIcon(int scale = 1);    // an open folder
QImage saveIcon(int scale = 1);    // a floppy disk
QImage colorsIcon(int scale = 1);  // a colour wheel
QImage zoomInIcon(int scale = 1);  // a magnifier with a plus
QImage zoomOutIcon(int scale = 1); // a magnifier with a minus
QImage helpIcon(int scale = 1);    // a question mark in a blue disc
QImage aboutIcon(int scale = 1);   // an "i" in a blue disc

// The application icon's grid, and the size of the program's own.
inline constexpr int AppIconSize = 64;
// A map pin over radio waves, size x size pixels.
QImage appIcon(int size);

} // namespace marlow::artgen
