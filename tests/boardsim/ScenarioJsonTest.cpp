// Scenario files (what a good file gives, how mistakes are reported, and
// that a printed scenario reads back the same), and the tool's options and
// commands.
#include "ScenarioJson.h"

#include "BoardConsole.h"
#include "CommandLine.h"
#include "board/OfficeScenario.h"

#include <gtest/gtest.h>
#include <tuple>

namespace marlow::sim {
namespace {

using board::AccessPoint;
using board::PathLoss;
using board::Scenario;

TEST(ScenarioJson, ReadsEveryFieldAndNamesMistakesWhereTheyAre) {
    const Result<Scenario> read = parseScenario(R"({
        "seed": 4000000000, "firmware": "2.00", "serial": "TB-1",
        "pathLoss": {"referenceDbm": -40, "exponent": 2.5, "pixelsPerMetre": 10,
                     "noiseDb": 0, "thresholdDbm": -90},
        "accessPoints": [{"mac": "0a:0B:0c:0D:0e:FF", "ssid": "lab", "channel": 14,
                          "x": 12.5, "y": -3, "txPowerDbm": 5}]})");
    ASSERT_TRUE(read) << read.error().message;
    const Scenario& s = *read;
    EXPECT_EQ(std::tuple(s.seed, s.firmware, s.serial), std::tuple(4000000000u, "2.00", "TB-1"));
    const PathLoss& loss = s.pathLoss;
    EXPECT_EQ(std::tuple(loss.referenceDbm, loss.exponent, loss.pixelsPerMetre, loss.noiseDb,
                         loss.thresholdDbm),
              std::tuple(-40, 2.5, 10, 0, -90));
    ASSERT_EQ(s.accessPoints.size(), 1u);
    const AccessPoint& ap = s.accessPoints[0];
    EXPECT_EQ(std::tuple(ap.mac, ap.ssid, ap.channel, ap.x, ap.y, ap.txPowerDbm),
              std::tuple(MacAddress{0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0xFF}, "lab", 14, 12.5, -3, 5));
    // Only the access points are required.
    const Result<Scenario> least = parseScenario(R"({"accessPoints": []})");
    ASSERT_TRUE(least);
    EXPECT_EQ(*least, Scenario{});

    // Mistakes are named where they are.
    const std::string fields = R"("mac": "00:11:22:33:44:55", "ssid": "a", "x": 1, "y": 2)";
    const std::pair<std::string, std::string> cases[] = {
        {"{\"accessPoints\": [}", "parse error at line 1, column 19"},
        {"{\"accessPoints\": [{" + fields + ", \"chanel\": 6}]}",
         "accessPoints[0]: unknown key \"chanel\""},
        {"{\"accessPoints\": [{" + fields + ", \"channel\": 15}]}",
         "accessPoints[0].channel: expected an integer from 1 to 14, got 15"},
        {"{\"accessPoints\": [{" + fields + "}]}", "accessPoints[0]: missing \"channel\""},
        {R"({"accessPoints": [{"mac": "00:11:22:33:44", "ssid": "a", "channel": 1, "x": 1, "y": 2}]})",
         "accessPoints[0].mac: expected six hex pairs like \"00:11:22:33:44:55\", got "
         "\"00:11:22:33:44\""},
        {"{\"accessPoints\": [{" + fields + ", \"channel\": 1}, {" + fields + ", \"channel\": 2}]}",
         "accessPoints[1].mac: 00:11:22:33:44:55 is already used by accessPoints[0]"},
        {R"({"firmware": "12345678901234567890123456789012", "accessPoints": []})",
         "firmware: longer than 31 bytes"},
        {R"({"pathLoss": {"noiseDb": 31}, "accessPoints": []})",
         "pathLoss.noiseDb: expected a number from 0 to 30, got 31"},
        {R"({"pathLoss": 3, "accessPoints": []})", "pathLoss: expected an object"},
        {R"({"seed": 1})", "missing \"accessPoints\""},
        {"[]", "expected a JSON object at the top level"},
        // The top-level object and 63 arrays are 64 levels, as deep as a
        // value may nest; one more is refused while parsing.
        {"{\"seed\": " + std::string(63, '[') + std::string(63, ']') + "}",
         "seed: expected an integer from 0 to 4294967295, got an array"},
        {"{\"seed\": " + std::string(64, '[') + std::string(64, ']') + "}",
         "nested deeper than 64 levels"},
    };
    for (const auto& [json, expected] : cases) {
        const Result<Scenario> parsed = parseScenario(json);
        ASSERT_FALSE(parsed) << json;
        EXPECT_NE(parsed.error().message.find(expected), std::string::npos)
            << json << "\n"
            << parsed.error().message;
    }
    const Result<Scenario> missing = loadScenario("/nonexistent/site.json");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().message,
              "/nonexistent/site.json: cannot read: No such file or directory");
}

TEST(ScenarioJson, WhatIsPrintedReadsBackTheSame) {
    Scenario odd = board::officeScenario();
    odd.seed = 4294967295u;
    odd.firmware = "\"quoted\" \\ \x01";
    odd.pathLoss = {-31.25, 2.7182818284590451, 0.01, 0.1, -94.999999};
    odd.accessPoints.push_back({{0xFF, 0, 0x0A, 0xB0, 1, 2}, "caf\xC3\xA9", 14, 1e6, -0.5, -40});
    for (const Scenario& scenario : {board::officeScenario(), odd, Scenario{}}) {
        const std::string json = scenarioJson(scenario);
        const Result<Scenario> read = parseScenario(json);
        ASSERT_TRUE(read) << read.error().message << "\n" << json;
        EXPECT_EQ(*read, scenario) << json;
    }
    // Whole numbers print as integers, as a person would write them.
    const std::string office = scenarioJson(board::officeScenario());
    EXPECT_NE(office.find(R"("mac": "00:1A:2B:3C:01:01")"), std::string::npos) << office;
    EXPECT_NE(office.find(R"("x": 110,)"), std::string::npos) << office;
    EXPECT_NE(office.find(R"("exponent": 3.2,)"), std::string::npos) << office;
}

TEST(BoardsimCommandLine, OptionsAndPositionCommands) {
    const Result<CommandLine> line =
        parseCommandLine({"--no-pacing", "--low-battery", "--silent", "--faults", "stall",
                          "--faults", "garbage", "--seed", "4294967295", "--print-scenario"});
    ASSERT_TRUE(line) << line.error().message;
    EXPECT_TRUE(line->printScenario);
    const Result<Scenario> scenario = scenarioFor(*line);
    ASSERT_TRUE(scenario);
    EXPECT_EQ(scenario->seed, 4294967295u);
    EXPECT_TRUE(scenario->accessPoints.empty()) << "a silent board hears nothing";
    const board::SimulatorConfig config = simulatorConfig(*line, *scenario);
    EXPECT_EQ(std::tuple(config.line.pacing, config.lowBattery), std::tuple(false, true));
    EXPECT_EQ(config.line.faults, (board::FaultSet{board::Fault::Garbage, board::Fault::Stall}));

    const Result<CommandLine> plain = parseCommandLine({});
    ASSERT_TRUE(plain);
    EXPECT_TRUE(plain->pacing);
    EXPECT_EQ(*scenarioFor(*plain), board::officeScenario());
    const std::pair<std::vector<std::string>, std::string> mistakes[] = {
        {{"--faults", "stall,Loud"}, "--faults: unknown fault \"Loud\""},
        {{"--seed", "-1"}, "--seed: expected a number from 0 to 4294967295, got \"-1\""},
        {{"--seed"}, "--seed needs a value"},
        {{"--loud"}, "unknown option \"--loud\""},
        {{"--replay"}, "--replay needs a value"},
        {{"--replay", "a.jsonl", "--scenario", "b.json"},
         "--replay and --scenario cannot be used together"},
        {{"--silent", "--replay", "a.jsonl"}, "--replay and --silent cannot be used together"},
    };
    for (const auto& [args, message] : mistakes) {
        const Result<CommandLine> bad = parseCommandLine(args);
        ASSERT_FALSE(bad) << message;
        EXPECT_TRUE(bad.error().message.starts_with(message)) << bad.error().message;
    }
    const Result<CommandLine> replay =
        parseCommandLine({"--replay", "a.jsonl", "--no-pacing", "--faults", "garbage"});
    ASSERT_TRUE(replay) << replay.error().message;
    EXPECT_EQ(replay->replayPath, "a.jsonl");
    EXPECT_EQ(serverConfig(*replay).faults, board::FaultSet{board::Fault::Garbage});

    const Result<CommandLine> unreadable = parseCommandLine({"--scenario", "/nonexistent.json"});
    ASSERT_TRUE(unreadable);
    EXPECT_FALSE(scenarioFor(*unreadable));

    EXPECT_EQ(console::parsePositionCommand("at 120 80")->x, 120);
    EXPECT_EQ(console::parsePositionCommand("\tat  -3.5 1e2 \r")->y, 100);
    for (const char* bad : {"at 1", "at 1 2 3", "to 1 2", "at 1 nan", "at 1 2x"})
        EXPECT_FALSE(console::parsePositionCommand(bad)) << bad;
}

} // namespace
} // namespace marlow::sim
