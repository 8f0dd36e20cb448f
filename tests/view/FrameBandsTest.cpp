// Bands of a frame's rows drawn on several threads: every row drawn once,
// and the call back only when all are.
#include "view/FrameBands.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace marlow {
namespace {

TEST(FrameBands, EveryRowIsDrawnOnceBeforeTheCallReturns) {
    struct Area {
        std::int32_t top;
        std::int32_t bottom;
        std::int32_t width;
    };
    for (const Area area : {Area{0, 961, 1280}, Area{7, 1000, 700}, Area{0, 130, 2000},
                            Area{5, 20, 1280}, Area{3, 3, 1280}, Area{10, 4, 1280}}) {
        const std::size_t rows = static_cast<std::size_t>(std::max(area.bottom, 0));
        std::vector<std::atomic<int>> drawn(rows);
        const auto painter = std::this_thread::get_id();
        drawInBands(area.top, area.bottom, area.width, [&](std::int32_t from, std::int32_t to) {
            // Every band takes time, so that helpers wake to take some, and
            // theirs take longer, so that a call that returned before them
            // would find their rows undrawn.
            const bool helper = std::this_thread::get_id() != painter;
            std::this_thread::sleep_for(std::chrono::milliseconds(helper ? 30 : 10));
            for (std::int32_t y = from; y < to; ++y)
                ++drawn[static_cast<std::size_t>(y)];
        });
        for (std::size_t y = 0; y < rows; ++y) {
            const bool inside = static_cast<std::int32_t>(y) >= area.top;
            EXPECT_EQ(drawn[y].load(), inside ? 1 : 0)
                << "row " << y << " of " << area.top << ".." << area.bottom;
        }
    }
}

} // namespace
} // namespace marlow
