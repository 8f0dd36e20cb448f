// Putting the simulated board together; see Simulator.h.
#include "board/Simulator.h"

#include "board/PathLossRadio.h"

namespace marlow::board {

std::unique_ptr<BoardServer> makeSimulator(SimulatorConfig config) {
    BoardConfig board{config.scenario.firmware, config.scenario.serial, config.lowBattery,
                      config.secondScan};
    return std::make_unique<BoardServer>(
        std::move(board), std::make_unique<PathLossRadio>(config.scenario), std::move(config.line));
}

} // namespace marlow::board
