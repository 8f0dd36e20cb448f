// boardsim: plays the analyzer board on a pseudo-terminal, for the program,
// its tests and demos, and surveyors without hardware (see README.md).
#include "CommandLine.h"
#include "ReplaySource.h"
#include "ScenarioJson.h"
#include "SweepJson.h"
#include "board/Simulator.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

using namespace marlow::sim;
using marlow::board::BoardServer;

void command(BoardServer& simulator, std::string_view line) {
    if (line.find_first_not_of(" \t\r") == std::string_view::npos)
        return;
    if (const auto position = parsePositionCommand(line)) {
        simulator.setSurveyPosition(*position);
        std::printf("position %g %g\n", position->x, position->y);
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "boardsim: ignoring \"%.*s\": expected \"at X Y\"\n",
                     static_cast<int>(line.size()), line.data());
    }
}

// Takes commands from stdin until it ends or a stop signal arrives.
void serve(BoardServer& simulator, int stopSignals) {
    std::string pending;
    std::array<char, 256> buffer{};
    for (;;) {
        std::array<pollfd, 2> fds{{{STDIN_FILENO, POLLIN, 0}, {stopSignals, POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents == 0)
            continue;
        const ssize_t count = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        pending.append(buffer.data(), static_cast<std::size_t>(count));
        for (std::size_t end = pending.find('\n'); end != std::string::npos;
             end = pending.find('\n')) {
            command(simulator, std::string_view(pending).substr(0, end));
            pending.erase(0, end + 1);
        }
    }
}

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
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    const int signals = ::signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (signals < 0) {
        std::perror("boardsim: signalfd");
        return 1;
    }
    std::signal(SIGPIPE, SIG_IGN);

    if (const marlow::Result<void> started = simulator->startOnPseudoTerminal(); !started) {
        std::fprintf(stderr, "boardsim: cannot open a pseudo-terminal: %s\n",
                     started.error().message.c_str());
        return 1;
    }
    std::printf("%s\n", simulator->devicePath().c_str());
    std::fflush(stdout);
    serve(*simulator, signals);
    simulator->stop();
    ::close(signals);
    return 0;
}
