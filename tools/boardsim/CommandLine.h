// The boardsim tool's command line and its stdin commands, kept apart from
// main so that they can be tested.
#pragma once

#include "boardsim/Faults.h"
#include "boardsim/RadioModel.h"
#include "boardsim/Simulator.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlow::sim {

struct CommandLine {
    bool help = false;
    std::string error; // empty when the options are good
    std::optional<std::string> scenarioPath;
    bool pacing = true;
    bool lowBattery = false;
    bool silent = false;
    FaultSet faults;
    std::optional<std::uint32_t> seed;
};

// The arguments after the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

std::string_view usageText();

struct ConfigResult {
    SimulatorConfig config;
    std::string error; // empty when the scenario was read
};

// The scenario named on the command line, or the sample office's, with the
// options applied.
ConfigResult configFor(const CommandLine& line);

// "at X Y": where the surveyor now stands, in floor-plan pixels.
std::optional<Point> parsePositionCommand(std::string_view line);

} // namespace marlow::sim
