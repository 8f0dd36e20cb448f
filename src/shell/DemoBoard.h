// The demo's analyzer board: the simulated board of the sample office, run
// in this process on a pseudo-terminal at the line's rate.
#pragma once

#include "base/Result.h"
#include "board/BoardServer.h"

#include <memory>

namespace marlow {

Result<std::unique_ptr<board::BoardServer>> startDemoBoard();

} // namespace marlow
