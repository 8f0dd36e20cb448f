// The simulated board of a scenario: the board with the scenario's texts,
// its path-loss radio over the scenario's access points, served on a line
// with the given settings. What the demo, the boardsim tool and the tests
// run.
#pragma once

#include "board/Board.h"
#include "board/BoardServer.h"
#include "board/Scenario.h"

#include <memory>

namespace marlow::board {

struct SimulatorConfig {
    Scenario scenario;
    // The first report the board sends is an ApReportLowBattery (13).
    bool lowBattery = false;
    SecondScan secondScan = SecondScan::Restart;
    ServerConfig line;
};

// Not yet serving: start it on a pseudo-terminal or on descriptors.
std::unique_ptr<BoardServer> makeSimulator(SimulatorConfig config);

} // namespace marlow::board
