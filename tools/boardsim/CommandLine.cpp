// Options of the boardsim tool, its configuration, and the "at X Y" command.
#include "CommandLine.h"

#include "ScenarioJson.h"
#include "board/OfficeScenario.h"
#include "wifi/WifiRadio.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace marlow::sim {
namespace {

constexpr std::string_view Usage =
    R"(Usage: boardsim [--scenario FILE] [--no-pacing] [--low-battery] [--silent]
                [--faults LIST] [--seed N] [--second-scan HOW] [--print-scenario]
       boardsim --replay FILE [--no-pacing] [--low-battery] [--faults LIST]
                [--second-scan HOW]

Plays an 802.11 analyzer board on a pseudo-terminal. Prints the device path
on the first line, then serves until interrupted or until standard input
ends. Lines "at X Y" on standard input tell it where the surveyor stands, in
floor-plan pixels; each is acknowledged with "position X Y".

Options:
  --scenario FILE  access points and radio model, as JSON
                   (default: the sample office's scenario)
  --replay FILE    serve the sweeps of a Wi-Fi adapter recorded in FILE, one
                   JSON line each, in order and from the first again after
                   the last, instead of a scenario
  --no-pacing      send as fast as possible instead of at 38400 bit/s
  --low-battery    send the first report as a low-battery report (type 13)
  --silent         scans hear nothing: channel messages and scan-complete only
  --faults LIST    inject faults into every scan; a comma-separated list of
                   garbage, bad-escape, stall, oversize, short-capture,
                   long-capture, truncated, unknown-type, or all
  --seed N         seed of the RSSI noise, instead of the scenario's
  --second-scan HOW  what a start-scan command during a scan does: restart
                   (the default: abandon the scan, start anew), queue (scan
                   again after it) or ignore
  --print-scenario print the scenario in use, with the options above applied,
                   as JSON that --scenario reads, and end
  --help           show this text
)";

template <typename Number> std::optional<Number> parseNumber(std::string_view text) {
    Number value{};
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failed != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

Result<CommandLine> parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        const bool takesValue = option == "--scenario" || option == "--replay" ||
                                option == "--faults" || option == "--seed" ||
                                option == "--second-scan";
        if (takesValue && i + 1 == args.size())
            return fail(Error{option + " needs a value"});
        if (option == "--help") {
            line.help = true;
        } else if (option == "--print-scenario") {
            line.printScenario = true;
        } else if (option == "--no-pacing") {
            line.pacing = false;
        } else if (option == "--low-battery") {
            line.lowBattery = true;
        } else if (option == "--silent") {
            line.silent = true;
        } else if (option == "--scenario") {
            line.scenarioPath = args[++i];
        } else if (option == "--replay") {
            line.replayPath = args[++i];
        } else if (option == "--faults") {
            Result<board::FaultSet> faults = board::parseFaultList(args[++i]);
            if (!faults)
                return fail(Error{"--faults: " + faults.error().message});
            line.faults.merge(*faults);
        } else if (option == "--second-scan") {
            const std::string& how = args[++i];
            if (how == "restart")
                line.secondScan = board::SecondScan::Restart;
            else if (how == "queue")
                line.secondScan = board::SecondScan::Queue;
            else if (how == "ignore")
                line.secondScan = board::SecondScan::Ignore;
            else
                return fail(
                    Error{"--second-scan: expected restart, queue or ignore, got \"" + how + "\""});
        } else if (option == "--seed") {
            const std::string& text = args[++i];
            line.seed = parseNumber<std::uint32_t>(text);
            if (!line.seed)
                return fail(
                    Error{"--seed: expected a number from 0 to 4294967295, got \"" + text + "\""});
        } else {
            return fail(Error{"unknown option \"" + option + "\""});
        }
    }
    // These shape a scenario, which a replay has none of.
    const std::pair<bool, const char*> scenarioOptions[] = {
        {line.scenarioPath.has_value(), "--scenario"},
        {line.seed.has_value(), "--seed"},
        {line.silent, "--silent"},
        {line.printScenario, "--print-scenario"},
    };
    for (const auto& [given, option] : scenarioOptions) {
        if (line.replayPath && given)
            return fail(Error{std::string("--replay and ") + option +
                              " cannot be used together: a replay serves recorded sweeps, "
                              "not a scenario"});
    }
    return line;
}

std::string_view usageText() {
    return Usage;
}

Result<board::Scenario> scenarioFor(const CommandLine& line) {
    Result<board::Scenario> scenario =
        line.scenarioPath ? loadScenario(*line.scenarioPath) : board::officeScenario();
    if (!scenario)
        return scenario;
    if (line.seed)
        scenario->seed = *line.seed;
    if (line.silent)
        scenario->accessPoints.clear();
    return scenario;
}

board::ServerConfig serverConfig(const CommandLine& line) {
    board::ServerConfig config;
    config.pacing = line.pacing;
    config.faults = line.faults;
    return config;
}

board::SimulatorConfig simulatorConfig(const CommandLine& line, board::Scenario scenario) {
    board::SimulatorConfig config;
    config.scenario = std::move(scenario);
    config.lowBattery = line.lowBattery;
    config.secondScan = line.secondScan;
    config.line = serverConfig(line);
    return config;
}

std::unique_ptr<board::BoardServer> replayBoard(const CommandLine& line,
                                                wifi::SweepSource& source) {
    return std::make_unique<board::BoardServer>(
        board::BoardConfig{.lowBattery = line.lowBattery, .secondScan = line.secondScan},
        std::make_unique<wifi::WifiRadio>(source, wifi::Bands{true, true}), serverConfig(line));
}

} // namespace marlow::sim
