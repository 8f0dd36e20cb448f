// The picture of a coverage map: the floor plan with the map laid over it
// in translucent colours, a legend and the radius in the top-left corner.
// Where the map has no data the plan shows as it is.
#pragma once

#include "analysis/Coverage.h"
#include "sitefile/SiteBitmap.h"

#include <QImage>

namespace marlow::tws {

// The program's RSSI colours, or the same steps in viridis colours for
// readers who cannot tell red from green.
enum class Palette { Rssi, Viridis };

// How much of a mapped pixel's colour is the map's, out of 255: enough to
// read the steps, little enough that the walls show through.
constexpr int OverlayAlpha = 110;

// A picture of the plan's size, in Format_RGB32; a null image when memory
// for it runs out. The legend needs a QGuiApplication for its text.
QImage renderHeatmap(const SiteBitmap& plan, const analysis::CoverageMap& map, Palette palette);

} // namespace marlow::tws
