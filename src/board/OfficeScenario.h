// The scenario of the sample office site: the access points of the office
// that the build draws, the simulator's default and the demo's board.
#pragma once

#include "board/Scenario.h"

namespace marlow::board {

Scenario officeScenario();

} // namespace marlow::board
