// The board in memory: its framing and answers, its sweeps over a radio
// source step by step and the captures they carry, a sweep started over,
// and the options that change a sweep.
#include "board/Board.h"

#include "Frames.h"
#include "board/PathLossRadio.h"
#include "board/Transmission.h"
#include "protocol/BeaconBuilder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace marlow::board {
namespace {

using test::Frame;
using test::frameBytes;
using test::framesIn;

const Bytes Scan = frameBytes(3, Bytes{7});
const Bytes Firmware = {0x11, 0x12, 0x01, '1', '.', '0', '7', 0, 0x11, 0x13};
const MacAddress Lab = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
const MacAddress Guest = {0x00, 0x11, 0x22, 0x33, 0x44, 0xAA};

Bytes join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// What the board sends for these bytes, any sweep they start run to its end.
Bytes answerAndSweep(Board& board, std::span<const std::uint8_t> bytes) {
    Transmission out;
    board.receive(bytes, out);
    while (board.sweeping())
        board.step(out);
    return out.bytes();
}

// "lab" near the top left on channel 6, "guest" across the plan on channel
// 1, "far" kilometres away on channel 11 (never heard).
Scenario lab() {
    Scenario scenario;
    scenario.seed = 7;
    scenario.accessPoints = {{Lab, "lab", 6, 120, 80, 0},
                             {Guest, "guest", 1, 600, 400, 0},
                             {{0, 0x11, 0x22, 0x33, 0xEE, 0xEE}, "far", 11, 100000, 0, 0}};
    return scenario;
}

// A radio that hears what the test tells it to, and notes what it is asked.
struct ScriptedRadio final : RadioSource {
    std::vector<std::uint8_t> sweepChannels() const override { return channels; }
    void sweepStarted() override { ++sweeps; }
    std::vector<HeardBeacon> listen(std::uint8_t channel) override {
        listened.push_back(channel);
        return heard[channel];
    }

    std::vector<std::uint8_t> channels;
    std::map<std::uint8_t, std::vector<HeardBeacon>> heard;
    int sweeps = 0;
    std::vector<std::uint8_t> listened;
};

// A board over the path-loss radio of a scenario.
struct SimulatedBoard {
    explicit SimulatedBoard(const Scenario& scenario, bool lowBattery = false)
        : radio(scenario), board({scenario.firmware, scenario.serial, lowBattery}, radio) {}

    Bytes answer(std::span<const std::uint8_t> bytes) { return answerAndSweep(board, bytes); }
    std::vector<Frame> scanAt(SurveyPosition at) {
        radio.setSurveyPosition(at);
        return framesIn(answer(Scan));
    }

    PathLossRadio radio;
    Board board;
};

TEST(Board, AnswersRequestsSkipsNoiseAndDropsMalformedOnesAsTheHandheldDoes) {
    SimulatedBoard simulated(lab());
    const Bytes askFirmware = frameBytes(1);
    // Bytes from the handheld, the board's answer.
    const std::pair<Bytes, Bytes> cases[] = {
        {askFirmware, Firmware},
        {frameBytes(2), frameBytes(2, Bytes{'T', 'B', '-', '0', '0', '0', '4', '1', '7', 0})},
        {frameBytes(8, Bytes{1}), {}},
        {frameBytes(3, Bytes{5}), {}},
        {frameBytes(3), {}},
        // Keep-alive zeros and noise before a request.
        {{0x00, 0x00, 0x47, 0x11, 0x00, 0x11, 0x12, 0x01, 0x11, 0x13}, Firmware},
        // A bad escape pair drops only its own frame; a frame start inside a
        // frame loses that frame and the next, as in the handheld's parser.
        {join({0x11, 0x12, 0x02, 0x11, 0x15, 0x11, 0x13}, askFirmware), Firmware},
        {join({0x11, 0x12, 0x02, 0x05}, askFirmware), {}},
        {askFirmware, Firmware},
        // A payload at the size limit (all escaped) and one over it.
        {frameBytes(1, Bytes(frame::MaxPayload, 0x11)), Firmware},
        {join(frameBytes(2, Bytes(frame::MaxPayload + 1, 0x42)), askFirmware), Firmware},
    };
    for (const auto& [request, answer] : cases)
        EXPECT_EQ(simulated.answer(request), answer) << "case " << &request - &cases[0].first;
    // A request split anywhere is answered once it is complete.
    for (std::size_t split = 0; split < askFirmware.size(); ++split) {
        EXPECT_TRUE(simulated.answer(std::span(askFirmware).first(split)).empty());
        EXPECT_EQ(simulated.answer(std::span(askFirmware).subspan(split)), Firmware) << split;
    }
}

TEST(Board, ScanSweepsEveryChannelAndReportsTheBeaconsHeardWhereTheSurveyorStands) {
    SimulatedBoard simulated(lab());
    const std::vector<Frame> frames = simulated.scanAt({130, 80});
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), (Frame{17, {}}));
    std::vector<int> channels;
    std::map<std::string, int> heard; // sightings by SSID
    for (const Frame& f : std::span(frames).first(frames.size() - 1)) {
        if (f.type == 16) {
            channels.push_back(f.payload.at(0));
            continue;
        }
        ASSERT_EQ(f.type, 15);
        ASSERT_FALSE(channels.empty()) << "a report before the first channel";
        const Bytes& p = f.payload;
        ASSERT_GE(p.size(), 47u);
        EXPECT_EQ(std::size_t(p[2] | p[3] << 8), p.size() - 4);
        const auto channel = static_cast<std::uint8_t>(channels.back());
        const bool isLab = std::equal(Lab.begin(), Lab.end(), p.begin() + 18);
        EXPECT_TRUE(isLab || std::equal(Guest.begin(), Guest.end(), p.begin() + 18));
        EXPECT_EQ((Bytes{p[4], p[5]}), (Bytes{channel, p[1]})); // the board prefix
        const std::string ssid(p.begin() + 46, p.begin() + 46 + p[45]);
        EXPECT_EQ(ssid, isLab ? "lab" : "guest");
        EXPECT_EQ(Bytes(p.end() - 3, p.end()), (Bytes{3, 1, channel}));
        // 10 pixels from the lab's access point, 570 from the guest's.
        EXPECT_GE(static_cast<std::int8_t>(p[1]), isLab ? -40 : -85);
        EXPECT_LE(static_cast<std::int8_t>(p[1]), isLab ? -20 : -62);
        ++heard[ssid];
    }
    EXPECT_EQ(channels, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    EXPECT_EQ(heard.size(), 2u);
    for (const auto& [ssid, sightings] : heard)
        EXPECT_LE(sightings, 3) << ssid;
}

TEST(Board, TheSameSeedGivesTheSameScans) {
    auto record = [](std::uint32_t seed) {
        Scenario scenario = lab();
        scenario.seed = seed;
        SimulatedBoard simulated(scenario);
        return simulated.scanAt({600, 400});
    };
    EXPECT_EQ(record(7), record(7));
    EXPECT_NE(record(7), record(8));
}

TEST(Board, ScanWithNothingHeardSendsOnlyChannelsAndTheEndLowBatteryMarksOnlyTheFirstReport) {
    Scenario empty = lab();
    empty.accessPoints.clear();
    SimulatedBoard silent(empty);
    std::vector<Frame> expected;
    for (std::uint8_t channel = 1; channel <= 14; ++channel)
        expected.push_back({16, {channel}});
    expected.push_back({17, {}});
    EXPECT_EQ(silent.scanAt({130, 80}), expected);

    SimulatedBoard low(lab(), true);
    std::vector<int> types;
    for (int scan = 0; scan < 2; ++scan) {
        for (const Frame& f : low.scanAt({130, 80}))
            if (f.type == 13 || f.type == 15)
                types.push_back(f.type);
    }
    ASSERT_GE(types.size(), 3u);
    EXPECT_EQ(types[0], 13);
    EXPECT_EQ(std::count(types.begin(), types.end(), 13), 1);
}

// The radio names the channels and what is heard on each; the board keeps
// the sequence numbers, the capture count and the beacons' clock, and puts
// elements heard as they were into its captures unchanged.
TEST(Board, SweepsTheRadiosChannelsAndCapturesWhatItHeard) {
    ScriptedRadio radio;
    radio.channels = {11, 1, 6};
    const Bytes received = {0, 2, 'a', 'p', 221, 3, 0x00, 0x50, 0xF2};
    radio.heard[11] = {{Lab, "lab", 11, {-40, -42}, std::nullopt}};
    radio.heard[6] = {{Guest, "ignored", 5, {-70}, received}};
    Board board({}, radio);

    const Bytes first = answerAndSweep(board, Scan);
    const Bytes sent = join(first, answerAndSweep(board, Scan));
    EXPECT_EQ(radio.sweeps, 2);
    EXPECT_EQ(radio.listened, (std::vector<std::uint8_t>{11, 1, 6, 11, 1, 6}));

    std::vector<Frame> expected;
    std::uint16_t captures = 0;
    std::map<MacAddress, std::uint16_t> sequence;
    auto reportOf = [&](const MacAddress& mac, std::uint8_t channel, std::int8_t rssi,
                        const Bytes& elements) {
        BeaconFields beacon;
        beacon.prefix = {channel, static_cast<std::uint8_t>(rssi),
                         static_cast<std::uint8_t>(captures), 0};
        beacon.transmitter = mac;
        beacon.sequence = sequence[mac]++;
        beacon.timestamp = captures++ * 102400ull;
        return Frame{15, reportPayload(rssi, beaconCapture(beacon, elements))};
    };
    const Bytes labElements = encodeElements(basicBeaconElements("lab", 11));
    for (int sweep = 0; sweep < 2; ++sweep) {
        expected.push_back({16, {11}});
        expected.push_back(reportOf(Lab, 11, -40, labElements));
        expected.push_back(reportOf(Lab, 11, -42, labElements));
        expected.push_back({16, {1}});
        expected.push_back({16, {6}});
        expected.push_back(reportOf(Guest, 6, -70, received));
        expected.push_back({17, {}});
    }
    EXPECT_EQ(framesIn(sent), expected);
}

// A start-scan command in the middle of a sweep abandons it: the next step
// is the first channel again and only the new sweep ends with ScanComplete.
// Other requests are answered at once and leave the sweep where it was.
TEST(Board, StartScanDuringASweepStartsItOver) {
    ScriptedRadio radio;
    radio.channels = {1, 2, 3, 4};
    radio.heard[2] = {{Lab, "lab", 2, {-40}, std::nullopt}};
    Board board({}, radio);
    Transmission out;
    auto stepFrames = [&] {
        out.clear();
        board.step(out);
        return framesIn(out.bytes());
    };

    board.receive(Scan, out);
    EXPECT_TRUE(out.empty()) << "the sweep waits for its steps";
    ASSERT_TRUE(board.sweeping());
    EXPECT_EQ(stepFrames(), (std::vector<Frame>{{16, {1}}}));
    const std::vector<Frame> second = stepFrames();
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0], (Frame{16, {2}}));
    EXPECT_EQ(second[1].type, 15);

    out.clear();
    board.receive(frameBytes(1), out);
    EXPECT_EQ(out.bytes(), Firmware);
    EXPECT_EQ(stepFrames(), (std::vector<Frame>{{16, {3}}}));

    // Again, in two pieces.
    board.receive(std::span(Scan).first(2), out);
    board.receive(std::span(Scan).subspan(2), out);
    EXPECT_EQ(radio.sweeps, 2);
    std::vector<Frame> rest;
    while (board.sweeping()) {
        const std::vector<Frame> step = stepFrames();
        rest.insert(rest.end(), step.begin(), step.end());
    }
    ASSERT_EQ(rest.size(), 6u);
    EXPECT_EQ(rest[0], (Frame{16, {1}}));
    EXPECT_EQ(rest[1], (Frame{16, {2}}));
    EXPECT_EQ(rest[3], (Frame{16, {3}}));
    EXPECT_EQ(rest[4], (Frame{16, {4}}));
    EXPECT_EQ(rest[5], (Frame{17, {}}));
    EXPECT_EQ(radio.listened, (std::vector<std::uint8_t>{1, 2, 3, 1, 2, 3, 4}));
    // Once it has ended, a step sends nothing.
    EXPECT_TRUE(stepFrames().empty());
}

} // namespace
} // namespace marlow::board
