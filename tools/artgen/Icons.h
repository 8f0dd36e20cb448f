// The command bar's 16 x 16 icons, drawn at that size times the scale, and
// the 64 x 64 application icon.
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
QImage appIcon();                  // a map pin over radio waves

} // namespace marlow::artgen
