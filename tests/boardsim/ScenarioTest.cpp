// Scenarios (what a good file gives, what each mistake is reported as), the
// radio model, and the tool's options and commands.
#include "boardsim/Scenario.h"

#include "TempDir.h"
#include "boardsim/CommandLine.h"

#include <gtest/gtest.h>
#include <tuple>

namespace marlow::sim {
namespace {

TEST(Scenario, ReadsEveryFieldAndDefaultsTheOptionalOnes) {
    const ScenarioResult read = parseScenario(R"({
        "seed": 4000000000, "firmware": "2.00", "serial": "TB-1",
        "pathLoss": {"referenceDbm": -40, "exponent": 2.5, "pixelsPerMetre": 10,
                     "noiseDb": 0, "thresholdDbm": -90},
        "accessPoints": [{"mac": "0a:0B:0c:0D:0e:FF", "ssid": "lab", "channel": 14,
                          "x": 12.5, "y": -3, "txPowerDbm": 5}]})");
    ASSERT_EQ(read.error, "");
    const Scenario& s = read.scenario;
    EXPECT_EQ(std::tuple(s.seed, s.firmware, s.serial), std::tuple(4000000000u, "2.00", "TB-1"));
    const PathLoss& loss = s.pathLoss;
    EXPECT_EQ(std::tuple(loss.referenceDbm, loss.exponent, loss.pixelsPerMetre, loss.noiseDb,
                         loss.thresholdDbm),
              std::tuple(-40, 2.5, 10, 0, -90));
    ASSERT_EQ(s.accessPoints.size(), 1u);
    const AccessPoint& ap = s.accessPoints[0];
    EXPECT_EQ(std::tuple(ap.mac, ap.ssid, ap.channel, ap.x, ap.y, ap.txPowerDbm),
              std::tuple(MacAddress{0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0xFF}, "lab", 14, 12.5, -3, 5));

    const ScenarioResult minimal = parseScenario(
        R"({"accessPoints": [{"mac": "00:11:22:33:44:55", "ssid": "", "channel": 1, "x": 0, "y": 0}]})");
    ASSERT_EQ(minimal.error, "");
    EXPECT_EQ(std::tuple(minimal.scenario.firmware, minimal.scenario.serial,
                         minimal.scenario.accessPoints.at(0).txPowerDbm),
              std::tuple("1.07", "TB-000417", 0));
}

TEST(Scenario, MistakesAreNamedWhereTheyAre) {
    const std::string ap = R"("mac": "00:11:22:33:44:55", "ssid": "a", "x": 1, "y": 2)";
    const std::pair<std::string, std::string> cases[] = {
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
    EXPECT_EQ(loadScenario(dir.path()).error, dir.path() + ": cannot read: Is a directory");
    const std::string broken = dir.file("broken.json");
    marlow::test::writeBytes(broken, {'{', '}'});
    EXPECT_EQ(loadScenario(broken).error, broken + ": missing \"accessPoints\"");
}

AccessPoint apAt(double x, double txPowerDbm = 0) {
    AccessPoint ap;
    ap.x = x;
    ap.txPowerDbm = txPowerDbm;
    return ap;
}

TEST(RadioModel, MeanFollowsTheLogDistanceLaw) {
    const RadioModel model(PathLoss{}); // -30 dBm at 1 m, n = 3, 20 pixels a metre
    // Pixels away, transmit power, mean RSSI.
    const std::tuple<double, double, double> cases[] = {
        {0, 0, -30},    // inside a metre counts as a metre
        {10, 0, -30},   // half a metre
        {200, 0, -60},  // ten metres
        {2000, 0, -90}, // a hundred metres
        {200, 6, -54},  // transmit power adds
    };
    for (const auto& [pixels, txPower, expected] : cases)
        EXPECT_NEAR(model.meanRssi(apAt(pixels, txPower), {0, 0}), expected, 1e-9)
            << pixels << " pixels at " << txPower << " dBm";
    // Distance is Euclidean in both axes.
    EXPECT_NEAR(model.meanRssi(apAt(0), {120, 160}), -60, 1e-9);
}

TEST(RadioModel, SightingsAreRoundedClampedAndCutAtTheThreshold) {
    PathLoss loss;
    loss.noiseDb = 0;
    const RadioModel model(loss);
    std::mt19937 random(1);
    EXPECT_EQ(model.sighting(apAt(200), {0, 0}, random), std::int8_t{-60});
    EXPECT_EQ(model.sighting(apAt(0, 40), {0, 0}, random), std::int8_t{StrongestRssi});
    EXPECT_EQ(model.sighting(apAt(2000), {0, 0}, random), std::int8_t{-90});
    // About -96.5 dBm: below the -95 dBm threshold.
    EXPECT_EQ(model.sighting(apAt(3300), {0, 0}, random), std::nullopt);
}

TEST(RadioModel, NoiseSpreadsSightingsAroundTheMean) {
    const RadioModel model(PathLoss{}); // 2 dB of noise
    std::mt19937 random(3);
    int sum = 0;
    int distinct = 0;
    std::optional<std::int8_t> previous;
    constexpr int Count = 400;
    for (int i = 0; i < Count; ++i) {
        const auto rssi = model.sighting(apAt(200), {0, 0}, random);
        ASSERT_TRUE(rssi);
        sum += *rssi;
        distinct += previous != rssi;
        previous = rssi;
    }
    EXPECT_NEAR(sum / double(Count), -60, 0.5);
    EXPECT_GT(distinct, Count / 4);
}

TEST(BoardsimCommandLine, OptionsSetTheConfiguration) {
    const CommandLine line =
        parseCommandLine({"--no-pacing", "--low-battery", "--silent", "--faults", "stall",
                          "--faults", "garbage", "--seed", "4294967295"});
    ASSERT_EQ(line.error, "");
    const ConfigResult setup = configFor(line);
    ASSERT_EQ(setup.error, "");
    EXPECT_FALSE(setup.config.pacing);
    EXPECT_TRUE(setup.config.board.lowBattery);
    EXPECT_TRUE(setup.config.board.silent);
    EXPECT_EQ(setup.config.board.faults, (FaultSet{Fault::Garbage, Fault::Stall}));
    EXPECT_EQ(setup.config.board.scenario.seed, 4294967295u);
    EXPECT_TRUE(configFor(parseCommandLine({})).config.pacing);
}

TEST(BoardsimCommandLine, PositionCommands) {
    EXPECT_EQ(parsePositionCommand("at 120 80")->x, 120);
    EXPECT_EQ(parsePositionCommand("\tat  -3.5 1e2 \r")->y, 100);
    for (const char* bad : {"at 1", "at 1 2 3", "to 1 2", "at x 2", "at 1 nan", "at 1 2x", ""})
        EXPECT_FALSE(parsePositionCommand(bad)) << bad;
}

} // namespace
} // namespace marlow::sim
