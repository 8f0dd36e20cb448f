// Scenarios: what a good file gives, what each mistake is reported as, and
// the sample office's scenario.
#include "boardsim/Scenario.h"

#include "TempDir.h"
#include "boardsim/CommandLine.h"

#include <gtest/gtest.h>

namespace marlow::sim {
namespace {

constexpr const char* OfficeScenarioFile = OFFICE_SCENARIO;

TEST(Scenario, ReadsEveryField) {
    const ScenarioResult read = parseScenario(R"({
        "seed": 4000000000, "firmware": "2.00", "serial": "TB-1",
        "pathLoss": {"referenceDbm": -40, "exponent": 2.5, "pixelsPerMetre": 10,
                     "noiseDb": 0, "thresholdDbm": -90},
        "accessPoints": [{"mac": "0a:0B:0c:0D:0e:FF", "ssid": "lab", "channel": 14,
                          "x": 12.5, "y": -3, "txPowerDbm": 5}]})");
    ASSERT_EQ(read.error, "");
    const Scenario& s = read.scenario;
    EXPECT_EQ(s.seed, 4000000000u);
    EXPECT_EQ(s.firmware, "2.00");
    EXPECT_EQ(s.serial, "TB-1");
    EXPECT_EQ(s.pathLoss.referenceDbm, -40);
    EXPECT_EQ(s.pathLoss.exponent, 2.5);
    EXPECT_EQ(s.pathLoss.pixelsPerMetre, 10);
    EXPECT_EQ(s.pathLoss.noiseDb, 0);
    EXPECT_EQ(s.pathLoss.thresholdDbm, -90);
    ASSERT_EQ(s.accessPoints.size(), 1u);
    const AccessPoint& ap = s.accessPoints[0];
    EXPECT_EQ(ap.mac, (MacAddress{0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0xFF}));
    EXPECT_EQ(ap.ssid, "lab");
    EXPECT_EQ(ap.channel, 14);
    EXPECT_EQ(ap.x, 12.5);
    EXPECT_EQ(ap.y, -3);
    EXPECT_EQ(ap.txPowerDbm, 5);
}

TEST(Scenario, OptionalFieldsTakeTheirDefaults) {
    const ScenarioResult read = parseScenario(
        R"({"accessPoints": [{"mac": "00:11:22:33:44:55", "ssid": "", "channel": 1, "x": 0, "y": 0}]})");
    ASSERT_EQ(read.error, "");
    const Scenario defaults;
    EXPECT_EQ(read.scenario.seed, defaults.seed);
    EXPECT_EQ(read.scenario.firmware, "1.07");
    EXPECT_EQ(read.scenario.serial, "TB-000417");
    EXPECT_EQ(read.scenario.pathLoss.exponent, defaults.pathLoss.exponent);
    EXPECT_EQ(read.scenario.accessPoints.at(0).txPowerDbm, 0);
}

TEST(Scenario, MistakesAreNamedWhereTheyAre) {
    const std::string ap = R"("mac": "00:11:22:33:44:55", "ssid": "a", "x": 1, "y": 2)";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"{\"accessPoints\": [}", "parse error at line 1, column 19"},
        {"[]", "expected a JSON object at the top level"},
        {"{}", "missing \"accessPoints\""},
        {R"({"accessPoints": {}})", "accessPoints: expected an array"},
        {R"({"accessPoints": [7]})", "accessPoints[0]: expected an object"},
        {R"({"accesPoints": []})", "unknown key \"accesPoints\""},
        {"{\"accessPoints\": [{" + ap + ", \"chanel\": 6}]}",
         "accessPoints[0]: unknown key \"chanel\""},
        {"{\"accessPoints\": [{" + ap + "}]}", "accessPoints[0]: missing \"channel\""},
        {"{\"accessPoints\": [{" + ap + ", \"channel\": 15}]}",
         "accessPoints[0].channel: expected an integer from 1 to 14, got 15"},
        {"{\"accessPoints\": [{" + ap + ", \"channel\": \"6\"}]}",
         "accessPoints[0].channel: expected an integer from 1 to 14, got \"6\""},
        {R"({"accessPoints": [{"mac": "00:11:22:33:44", "ssid": "a", "channel": 1, "x": 1, "y": 2}]})",
         "accessPoints[0].mac: expected six hex pairs like \"00:11:22:33:44:55\", got "
         "\"00:11:22:33:44\""},
        {"{\"accessPoints\": [{" + ap + ", \"channel\": 1}, {" + ap + ", \"channel\": 6}]}",
         "accessPoints[1].mac: 00:11:22:33:44:55 is already used by accessPoints[0]"},
        {R"({"accessPoints": [{"mac": "00:11:22:33:44:55", "ssid": "123456789012345678901234567890123", "channel": 1, "x": 1, "y": 2}]})",
         "accessPoints[0].ssid: longer than 32 bytes"},
        {R"({"firmware": "12345678901234567890123456789012", "accessPoints": []})",
         "firmware: longer than 31 bytes"},
        {R"({"seed": -1, "accessPoints": []})", "seed: expected an integer from 0 to 4294967295"},
        {R"({"pathLoss": {"pixelsPerMetre": 0}, "accessPoints": []})",
         "pathLoss.pixelsPerMetre: expected a number from 0.01 to 10000, got 0"},
        {R"({"pathLoss": {"exponent": 3, "noise": 2}, "accessPoints": []})",
         "pathLoss: unknown key \"noise\""},
    };
    for (const auto& [json, expected] : cases) {
        const ScenarioResult read = parseScenario(json);
        EXPECT_NE(read.error.find(expected), std::string::npos)
            << json << "\n  gave: " << read.error << "\n  wanted: " << expected;
    }
}

TEST(Scenario, FileErrorsNameTheFile) {
    marlow::test::TempDir dir;
    const std::string missing = dir.file("missing.json");
    EXPECT_EQ(loadScenario(missing).error, missing + ": cannot read: No such file or directory");
    EXPECT_EQ(loadScenario(dir.path()).error, dir.path() + ": cannot read: Is a directory");
    const std::string broken = dir.file("broken.json");
    marlow::test::writeBytes(broken, {'{', '}'});
    EXPECT_EQ(loadScenario(broken).error, broken + ": missing \"accessPoints\"");
}

TEST(Scenario, TheOfficeScenarioIsTheToolsDefaultAndFitsThePlan) {
    const ScenarioResult file = loadScenario(OfficeScenarioFile);
    ASSERT_EQ(file.error, "");
    const ConfigResult builtIn = configFor(CommandLine{});
    ASSERT_EQ(builtIn.error, "");
    EXPECT_EQ(builtIn.config.board.scenario.accessPoints.size(), file.scenario.accessPoints.size());
    EXPECT_EQ(builtIn.config.board.scenario.seed, file.scenario.seed);

    int inside = 0;
    for (const AccessPoint& ap : file.scenario.accessPoints)
        inside += ap.x >= 0 && ap.x < 800 && ap.y >= 0 && ap.y < 560;
    EXPECT_GE(inside, 6);
}

} // namespace
} // namespace marlow::sim
