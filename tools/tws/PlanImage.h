// Turning a picture into the floor plan of a new site: an 8-bit bitmap whose
// 256-entry palette holds the colours the survey marks are painted in and
// the picture's own colours.
#pragma once

#include "base/Result.h"
#include "sitefile/SiteBitmap.h"

#include <QString>

namespace marlow::tws {

// Coordinates reach the program's status panes as signed 16-bit values.
constexpr int MaxPlanSide = 32767;

// Reads any picture Qt can read. A picture of at most 256 colours, counting
// the mark colours, keeps its colours exactly; one with more is reduced by
// median cut to the nearest of 248 colours, without dithering. Transparent
// parts become white, as on paper.
Result<SiteBitmap> loadPlan(const QString& path);

} // namespace marlow::tws
