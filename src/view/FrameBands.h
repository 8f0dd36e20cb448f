// FrameBands: a frame's rows drawn in bands on several threads at once, so
// that a frame drawn afresh uses the machine's cores.
#pragma once

#include <cstdint>
#include <functional>

namespace marlow {

// Draws rows top to bottom - 1 of a frame width pixels wide by calling
// draw(from, to) for bands of rows that together cover them once each. A
// large area is cut into a band for each core, drawn by the calling thread
// and threads kept for the purpose; a small one is a single band drawn on
// the calling thread. The bands never overlap, so draw must only write the
// rows it is given. Returns when every band is drawn. A band no helper has
// begun when the calling thread is free is drawn by the calling thread, so
// busy helpers never make a frame slower than drawing it alone.
void drawInBands(std::int32_t top, std::int32_t bottom, std::int32_t width,
                 const std::function<void(std::int32_t from, std::int32_t to)>& draw);

} // namespace marlow
