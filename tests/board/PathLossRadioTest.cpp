// The simulator's radio: the log-distance law, its seeded noise, threshold
// and clamping, and what it hears on each channel of a sweep from where the
// surveyor stood when the sweep started.
#include "board/PathLossRadio.h"

#include <gtest/gtest.h>
#include <tuple>

namespace marlow::board {
namespace {

AccessPoint apAt(double x, double txPowerDbm = 0) {
    return {{}, "", 1, x, 0, txPowerDbm};
}

Scenario withLoss(PathLoss loss, std::uint32_t seed = 1) {
    Scenario scenario;
    scenario.pathLoss = loss;
    scenario.seed = seed;
    return scenario;
}

TEST(PathLossRadio, FollowsTheLogDistanceLaw) {
    const PathLossRadio model(withLoss({})); // -30 dBm at 1 m, n = 3, 20 pixels a metre
    // Pixels away, transmit power, mean RSSI.
    const std::tuple<double, double, double> cases[] = {
        {10, 0, -30},  // inside a metre counts as a metre
        {200, 0, -60}, // ten metres
        {200, 6, -54}, // transmit power adds
    };
    for (const auto& [pixels, txPower, expected] : cases)
        EXPECT_NEAR(model.meanRssi(apAt(pixels, txPower), {0, 0}), expected, 1e-9) << pixels;
    // Distance is Euclidean in both axes.
    EXPECT_NEAR(model.meanRssi(apAt(0), {120, 160}), -60, 1e-9);

    // Sightings are rounded, clamped, cut at the threshold and noisy.
    PathLoss loss;
    loss.noiseDb = 0;
    PathLossRadio exact(withLoss(loss));
    EXPECT_EQ(exact.sighting(apAt(200), {0, 0}), std::int8_t{-60});
    EXPECT_EQ(exact.sighting(apAt(0, 40), {0, 0}), std::int8_t{StrongestRssi});
    // About -96.5 dBm: below the -95 dBm threshold.
    EXPECT_EQ(exact.sighting(apAt(3300), {0, 0}), std::nullopt);

    PathLossRadio noisy(withLoss({}, 3)); // 2 dB of noise
    int sum = 0;
    int changes = 0;
    std::optional<std::int8_t> previous;
    for (int i = 0; i < 400; ++i) {
        const auto rssi = noisy.sighting(apAt(200), {0, 0});
        ASSERT_TRUE(rssi);
        sum += *rssi;
        changes += previous != rssi;
        previous = rssi;
    }
    EXPECT_NEAR(sum / 400.0, -60, 0.5);
    EXPECT_GT(changes, 100);
    // The scenario's seed fixes the noise.
    auto noiseOf = [](std::uint32_t seed) {
        PathLossRadio radio(withLoss({}, seed));
        std::vector<std::optional<std::int8_t>> sightings;
        for (int i = 0; i < 20; ++i)
            sightings.push_back(radio.sighting(apAt(200), {0, 0}));
        return sightings;
    };
    EXPECT_EQ(noiseOf(3), noiseOf(3));
    EXPECT_NE(noiseOf(3), noiseOf(4));
}

TEST(PathLossRadio, HearsTheChannelsAccessPointsFromWhereTheSweepStarted) {
    PathLoss loss;
    loss.noiseDb = 0;
    Scenario scenario = withLoss(loss);
    scenario.accessPoints = {{{0, 0, 0, 0, 0, 1}, "near", 6, 0, 0, 0},
                             {{0, 0, 0, 0, 0, 2}, "ten metres", 6, 200, 0, 0},
                             {{0, 0, 0, 0, 0, 3}, "other channel", 11, 0, 0, 0},
                             {{0, 0, 0, 0, 0, 4}, "too far", 6, 4000, 0, 0}};
    PathLossRadio radio(scenario);
    EXPECT_EQ(radio.sweepChannels(),
              (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));

    radio.sweepStarted();
    // Moving on during a sweep changes nothing until the next one.
    radio.setSurveyPosition({200, 0});
    for (int sweep = 0; sweep < 2; ++sweep) {
        const std::vector<HeardBeacon> heard = radio.listen(6);
        ASSERT_EQ(heard.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            const HeardBeacon& beacon = heard[i];
            EXPECT_EQ(beacon.ssid, scenario.accessPoints[i].ssid);
            EXPECT_EQ(beacon.transmitter, scenario.accessPoints[i].mac);
            EXPECT_EQ(beacon.channel, 6);
            EXPECT_FALSE(beacon.elements);
            // One to three sightings, all at the same level without noise.
            EXPECT_GE(beacon.rssiSamples.size(), 1u);
            EXPECT_LE(beacon.rssiSamples.size(), 3u);
            const int expected = (i == 0) == (sweep == 0) ? -30 : -60;
            for (const std::int8_t rssi : beacon.rssiSamples)
                EXPECT_EQ(rssi, expected) << beacon.ssid << " in sweep " << sweep;
        }
        EXPECT_TRUE(radio.listen(7).empty());
        radio.sweepStarted();
    }
}

} // namespace
} // namespace marlow::board
