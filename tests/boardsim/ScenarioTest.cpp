// Scenarios (what a good file gives, how mistakes are reported), the radio
// model, and the tool's options and commands.
#include "boardsim/Scenario.h"

#include "boardsim/CommandLine.h"

#include <gtest/gtest.h>
#include <tuple>

namespace marlow::sim {
namespace {

TEST(Scenario, ReadsEveryFieldAndNamesMistakesWhereTheyAre) {
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

    // Mistakes are named where they are.
    const std::string fields = R"("mac": "00:11:22:33:44:55", "ssid": "a", "x": 1, "y": 2)";
    const std::pair<std::string, std::string> cases[] = {
        {"{\"accessPoints\": [}", "parse error at line 1, column 19"},
        {"{\"accessPoints\": [{" + fields + ", \"chanel\": 6}]}",
         "accessPoints[0]: unknown key \"chanel\""},
        {"{\"accessPoints\": [{" + fields + ", \"channel\": 15}]}",
         "accessPoints[0].channel: expected an integer from 1 to 14, got 15"},
        {R"({"accessPoints": [{"mac": "00:11:22:33:44", "ssid": "a", "channel": 1, "x": 1, "y": 2}]})",
         "accessPoints[0].mac: expected six hex pairs like \"00:11:22:33:44:55\", got "
         "\"00:11:22:33:44\""},
        {R"({"firmware": "12345678901234567890123456789012", "accessPoints": []})",
         "firmware: longer than 31 bytes"},
    };
    for (const auto& [json, expected] : cases)
        EXPECT_NE(parseScenario(json).error.find(expected), std::string::npos) << json;
    EXPECT_EQ(loadScenario("/nonexistent/site.json").error,
              "/nonexistent/site.json: cannot read: No such file or directory");
}

AccessPoint apAt(double x, double txPowerDbm = 0) {
    return {{}, "", 1, x, 0, txPowerDbm};
}

TEST(RadioModel, FollowsTheLogDistanceLaw) {
    const RadioModel model(PathLoss{}); // -30 dBm at 1 m, n = 3, 20 pixels a metre
    // Pixels away, transmit power, mean RSSI.
    const std::tuple<double, double, double> cases[] = {
        {10, 0, -30},   // inside a metre counts as a metre
        {200, 0, -60},  // ten metres
        {2000, 0, -90}, // a hundred metres
        {200, 6, -54},  // transmit power adds
    };
    for (const auto& [pixels, txPower, expected] : cases)
        EXPECT_NEAR(model.meanRssi(apAt(pixels, txPower), {0, 0}), expected, 1e-9) << pixels;
    // Distance is Euclidean in both axes.
    EXPECT_NEAR(model.meanRssi(apAt(0), {120, 160}), -60, 1e-9);

    // Sightings are rounded, clamped, cut at the threshold and noisy.
    PathLoss loss;
    loss.noiseDb = 0;
    std::mt19937 random(1);
    const RadioModel exact(loss);
    EXPECT_EQ(exact.sighting(apAt(200), {0, 0}, random), std::int8_t{-60});
    EXPECT_EQ(exact.sighting(apAt(0, 40), {0, 0}, random), std::int8_t{StrongestRssi});
    // About -96.5 dBm: below the -95 dBm threshold.
    EXPECT_EQ(exact.sighting(apAt(3300), {0, 0}, random), std::nullopt);

    const RadioModel noisy(PathLoss{}); // 2 dB of noise
    std::mt19937 noise(3);
    int sum = 0;
    int changes = 0;
    std::optional<std::int8_t> previous;
    for (int i = 0; i < 400; ++i) {
        const auto rssi = noisy.sighting(apAt(200), {0, 0}, noise);
        ASSERT_TRUE(rssi);
        sum += *rssi;
        changes += previous != rssi;
        previous = rssi;
    }
    EXPECT_NEAR(sum / 400.0, -60, 0.5);
    EXPECT_GT(changes, 100);
}

TEST(BoardsimCommandLine, OptionsAndPositionCommands) {
    const CommandLine line =
        parseCommandLine({"--no-pacing", "--low-battery", "--silent", "--faults", "stall",
                          "--faults", "garbage", "--seed", "4294967295"});
    ASSERT_EQ(line.error, "");
    const ConfigResult setup = configFor(line);
    ASSERT_EQ(setup.error, "");
    const BoardConfig& board = setup.config.board;
    EXPECT_EQ(std::tuple(setup.config.pacing, board.lowBattery, board.silent, board.scenario.seed),
              std::tuple(false, true, true, 4294967295u));
    EXPECT_EQ(board.faults, (FaultSet{Fault::Garbage, Fault::Stall}));
    EXPECT_TRUE(configFor(parseCommandLine({})).config.pacing);
    EXPECT_EQ(parseFaultList("all").faults, FaultSet(AllFaults.begin(), AllFaults.end()));
    EXPECT_EQ(parseCommandLine({"--faults", "stall,Loud"})
                  .error.rfind("--faults: unknown fault \"Loud\"", 0),
              0u);

    EXPECT_EQ(parsePositionCommand("at 120 80")->x, 120);
    EXPECT_EQ(parsePositionCommand("\tat  -3.5 1e2 \r")->y, 100);
    for (const char* bad : {"at 1", "at 1 2 3", "to 1 2", "at 1 nan", "at 1 2x"})
        EXPECT_FALSE(parsePositionCommand(bad)) << bad;
}

} // namespace
} // namespace marlow::sim
