// boardsim: plays the analyzer board on a pseudo-terminal, for the program,
// its tests and demos, and surveyors without hardware (see README.md).
#include "BoardConsole.h"
#include "CommandLine.h"
#include "ReplaySource.h"
#include "ScenarioJson.h"
#include "SweepJson.h"
#include "board/Simulator.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace {

using namespace marlow::sim;
using marlow::board::BoardServer;

} // namespace

int main(int argc, char** argv) {
    const marlow::Result<CommandLine> parsed = parseCommandLine({argv + 1, argv + argc});
    if (!parsed) {
        std::fprintf(stderr, "boardsim: %s\nTry \"boardsim --help\".\n",
                     parsed.error().message.c_str());
        return 2;
    }
    const CommandLine& line = *parsed;
    if (line.help) {
        std::fwrite(usageText().data(), 1, usageText().size(), stdout);
        return 0;
    }
    // A replay's sweeps are played back by a source that outlives the board.
    std::optional<marlow::sweeplog::ReplaySource> replay;
    std::unique_ptr<BoardServer> simulator;
    if (line.replayPath) {
        auto recorded = marlow::sweeplog::loadSweeps(*line.replayPath);
        if (!recorded) {
            std::fprintf(stderr, "boardsim: %s\n", recorded.error().message.c_str());
            return 2;
        }
        std::vector<marlow::wifi::Sweep> sweeps;
        for (marlow::sweeplog::RecordedSweep& sweep : *recorded)
            sweeps.push_back(std::move(sweep.sweep));
        replay.emplace(std::move(sweeps));
        simulator = replayBoard(line, *replay);
    } else {
        marlow::Result<marlow::board::Scenario> scenario = scenarioFor(line);
        if (!scenario) {
            std::fprintf(stderr, "boardsim: %s\n", scenario.error().message.c_str());
            return 2;
        }
        if (line.printScenario) {
            const std::string json = scenarioJson(*scenario);
            std::fwrite(json.data(), 1, json.size(), stdout);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
        simulator =
            marlow::board::makeSimulator(simulatorConfig(line, std::move(scenario).value()));
    }

    // Blocked before the serving thread starts, so only the signal
    // descriptor sees them.
    marlow::Result<marlow::console::StopSignals> stop = marlow::console::StopSignals::block();
    if (!stop) {
        std::fprintf(stderr, "boardsim: %s\n", stop.error().message.c_str());
        return 1;
    }

    if (const marlow::Result<void> started = simulator->startOnPseudoTerminal(); !started) {
        std::fprintf(stderr, "boardsim: cannot open a pseudo-terminal: %s\n",
                     started.error().message.c_str());
        return 1;
    }
    std::printf("%s\n", simulator->devicePath().c_str());
    std::fflush(stdout);
    marlow::console::serveConsole(*simulator, *stop, "boardsim");
    simulator->stop();
    return 0;
}
