// Starting the demo board on its pseudo-terminal.
#include "shell/DemoBoard.h"

#include "board/OfficeScenario.h"
#include "board/Simulator.h"

namespace marlow {

Result<std::unique_ptr<board::BoardServer>> startDemoBoard() {
    // The sample office, paced like the real line.
    board::SimulatorConfig office;
    office.scenario = board::officeScenario();
    std::unique_ptr<board::BoardServer> server = board::makeSimulator(std::move(office));
    if (Result<void> started = server->startOnPseudoTerminal(); !started)
        return fail(started.error());
    return server;
}

} // namespace marlow
