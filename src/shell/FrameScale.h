// How the main window's command bar and status panes grow with the window.
// The handheld's 240 x 320 screen is scale 1; a larger window scales them
// as the map and the dialogs are scaled, by whichever of its width and
// height has grown less, so that a wide but short window keeps its room for
// the map. Sizes here are in device-independent pixels.
#pragma once

#include <QRect>
#include <QSize>

namespace marlow {

// The handheld's screen, for which every layout of the program was made.
inline constexpr QSize HandheldSize(240, 320);
// The smallest window: the handheld's width, at which the seven buttons and
// the four panes lie side by side without folding or overlapping and the
// dialogs are at their own scale, and a height that leaves the map about
// half of the handheld's.
inline constexpr QSize MinimumFrameSize(240, 200);
// The command bar's icons are drawn for 16 pixels and shown at most three
// times as large.
inline constexpr int BaseIconSize = 16;
inline constexpr double LargestFrameScale = 3.0;

// 1 at the handheld's size and below, LargestFrameScale at most.
double frameScale(QSize window);

// The command bar's icon size at this scale: BaseIconSize scaled, rounded
// down to a multiple of 8 so that the icons' 16-pixel grid falls on whole or
// half pixels and the bar does not change height at every pixel of a
// resize.
int commandIconSize(double scale);

// The size a window opens at on a screen whose free area is this: the
// handheld's proportions at two thirds of the area's height, never smaller
// than the minimum nor larger than the area.
QSize startSize(const QRect& available);

} // namespace marlow
