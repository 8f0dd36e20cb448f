// Starting the demo board on its pseudo-terminal.
#include "shell/DemoBoard.h"

#include "boardsim/CommandLine.h"

namespace marlow {

DemoBoard startDemoBoard() {
    DemoBoard board;
    // The simulator's defaults: the sample office, paced like the real line.
    sim::ConfigResult setup = sim::configFor(sim::CommandLine{});
    if (!setup.error.empty()) {
        board.error = setup.error;
        return board;
    }
    auto simulator = std::make_unique<sim::Simulator>(std::move(setup.config));
    board.error = simulator->startOnPseudoTerminal();
    if (board.error.empty())
        board.simulator = std::move(simulator);
    return board;
}

} // namespace marlow
