// The path-loss model: distance, transmit power, clamping, threshold, noise.
#include "boardsim/RadioModel.h"

#include <gtest/gtest.h>

namespace marlow::sim {
namespace {

AccessPoint apAt(double x, double y, double txPowerDbm = 0) {
    AccessPoint ap;
    ap.x = x;
    ap.y = y;
    ap.txPowerDbm = txPowerDbm;
    return ap;
}

TEST(RadioModel, MeanFollowsTheLogDistanceLaw) {
    PathLoss loss; // -30 dBm at 1 m, n = 3, 20 pixels a metre
    const RadioModel model(loss);
    struct Case {
        double pixels;
        double txPower;
        double expected;
    };
    const Case cases[] = {
        {0, 0, -30},    // inside a metre counts as a metre
        {10, 0, -30},   // half a metre
        {20, 0, -30},   // one metre
        {200, 0, -60},  // ten metres
        {2000, 0, -90}, // a hundred metres
        {200, 6, -54},  // transmit power adds
        {200, -10, -70},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(model.meanRssi(apAt(c.pixels, 0, c.txPower), {0, 0}), c.expected, 1e-9)
            << c.pixels << " pixels at " << c.txPower << " dBm";
    // Distance is Euclidean in both axes.
    EXPECT_NEAR(model.meanRssi(apAt(120, 160), {0, 0}), -60, 1e-9);
}

TEST(RadioModel, SightingsAreRoundedClampedAndCutAtTheThreshold) {
    PathLoss loss;
    loss.noiseDb = 0;
    const RadioModel model(loss);
    std::mt19937 random(1);
    EXPECT_EQ(model.sighting(apAt(200, 0), {0, 0}, random), std::int8_t{-60});
    EXPECT_EQ(model.sighting(apAt(0, 0, 40), {0, 0}, random), std::int8_t{StrongestRssi});
    EXPECT_EQ(model.sighting(apAt(2000, 0), {0, 0}, random), std::int8_t{-90});
    // About -96.5 dBm: below the -95 dBm threshold.
    EXPECT_EQ(model.sighting(apAt(3300, 0), {0, 0}, random), std::nullopt);
}

TEST(RadioModel, NoiseSpreadsSightingsAroundTheMean) {
    const RadioModel model(PathLoss{}); // 2 dB of noise
    std::mt19937 random(3);
    int sum = 0;
    int distinct = 0;
    std::optional<std::int8_t> previous;
    constexpr int Count = 400;
    for (int i = 0; i < Count; ++i) {
        const auto rssi = model.sighting(apAt(200, 0), {0, 0}, random);
        ASSERT_TRUE(rssi);
        sum += *rssi;
        distinct += previous != rssi;
        previous = rssi;
    }
    EXPECT_NEAR(sum / double(Count), -60, 0.5);
    EXPECT_GT(distinct, Count / 4);
}

} // namespace
} // namespace marlow::sim
