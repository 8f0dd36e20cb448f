// The boardsim tool's command line and its stdin commands, kept apart from
// main so that they can be tested.
#pragma once

#include "base/Result.h"
#include "board/Faults.h"
#include "board/RadioSource.h"
#include "board/Scenario.h"
#include "board/Simulator.h"
#include "wifi/Sweep.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlow::sim {

struct CommandLine {
    bool help = false;
    bool printScenario = false;
    std::optional<std::string> scenarioPath;
    // Recorded sweeps of a Wi-Fi adapter to serve instead of a scenario.
    std::optional<std::string> replayPath;
    bool pacing = true;
    bool lowBattery = false;
    board::SecondScan secondScan = board::SecondScan::Restart;
    bool silent = false;
    board::FaultSet faults;
    std::optional<std::uint32_t> seed;
};

// The arguments after the program name.
Result<CommandLine> parseCommandLine(const std::vector<std::string>& args);

std::string_view usageText();

// The scenario named on the command line, or the sample office's, with the
// options that change it applied: --seed, and --silent, which leaves no
// access points to hear.
Result<board::Scenario> scenarioFor(const CommandLine& line);

// The line settings the options describe.
board::ServerConfig serverConfig(const CommandLine& line);

// The simulated board that the options describe, on that scenario.
board::SimulatorConfig simulatorConfig(const CommandLine& line, board::Scenario scenario);

// The board of --replay: the board's own texts, the options' line settings,
// and for a radio the Wi-Fi adapter's over the source, taking in both bands
// (a recording holds whatever the adapter heard). Not yet serving; the
// source must outlive it.
std::unique_ptr<board::BoardServer> replayBoard(const CommandLine& line, wifi::SweepSource& source);

} // namespace marlow::sim
