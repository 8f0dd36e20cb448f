// The demo's analyzer board: the board simulator with the sample office's
// scenario, run in this process on a pseudo-terminal at the line's rate.
#pragma once

#include "boardsim/Simulator.h"

#include <memory>
#include <string>

namespace marlow {

struct DemoBoard {
    std::unique_ptr<sim::Simulator> simulator; // null when it could not start
    std::string error;
};

DemoBoard startDemoBoard();

} // namespace marlow
