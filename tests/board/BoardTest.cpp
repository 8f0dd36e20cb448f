// The board in memory: its answers, its sweeps over a radio source step by
// step and the captures they carry, the low-battery mark, and a sweep started
// over.
#include "board/Board.h"

#include "Frames.h"
#include "board/Transmission.h"
#include "protocol/BeaconBuilder.h"

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

// What the board sends for these bytes, any sweep they start run to its end.
Bytes answerAndSweep(Board& board, std::span<const std::uint8_t> bytes) {
    Transmission out;
    board.receive(bytes, out);
    while (board.sweeping())
        board.step(out);
    return out.bytes();
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

TEST(Board, AnswersTheTextRequestsAndNothingElse) {
    ScriptedRadio radio;
    Board board({}, radio);
    // Bytes from the handheld, the board's answer.
    const std::pair<Bytes, Bytes> cases[] = {
        {frameBytes(1), Firmware},
        {frameBytes(2), frameBytes(2, Bytes{'T', 'B', '-', '0', '0', '0', '4', '1', '7', 0})},
        {frameBytes(8, Bytes{1}), {}},
        {frameBytes(3, Bytes{5}), {}},
    };
    for (const auto& [request, answer] : cases)
        EXPECT_EQ(answerAndSweep(board, request), answer) << "case " << &request - &cases[0].first;
    EXPECT_EQ(radio.sweeps, 0);
}

// The radio names the channels and what is heard on each; the board keeps
// the sequence numbers, the capture count and the beacons' clock, and puts
// elements heard as they were into its captures unchanged. A board with a
// low battery marks its first report of the run, and only that one.
TEST(Board, SweepsTheRadiosChannelsAndCapturesWhatItHeard) {
    ScriptedRadio radio;
    radio.channels = {11, 1, 6};
    const Bytes received = {0, 2, 'a', 'p', 221, 3, 0x00, 0x50, 0xF2};
    radio.heard[11] = {{Lab, "lab", 11, {-40, -42}, std::nullopt}};
    radio.heard[6] = {{Guest, "ignored", 5, {-70}, received}};
    Board board({.lowBattery = true}, radio);

    Bytes sent = answerAndSweep(board, Scan);
    const Bytes second = answerAndSweep(board, Scan);
    sent.insert(sent.end(), second.begin(), second.end());
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
        return Frame{captures == 1 ? std::uint8_t{13} : std::uint8_t{15},
                     reportPayload(rssi, beaconCapture(beacon, elements))};
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
    Board board({}, radio);
    Transmission out;
    // A channel takes two steps: its ScanChannel, then what is heard there.
    auto stepFrames = [&] {
        out.clear();
        const std::size_t listens = radio.listened.size();
        board.step(out);
        const std::vector<Frame> announced = framesIn(out.bytes());
        EXPECT_EQ(radio.listened.size(), listens) << "listened before the channel went out";
        board.step(out);
        EXPECT_EQ(framesIn(out.bytes()), announced) << "nothing is heard in this test";
        return announced;
    };

    board.receive(Scan, out);
    EXPECT_TRUE(out.empty()) << "the sweep waits for its steps";
    EXPECT_EQ(stepFrames(), (std::vector<Frame>{{16, {1}}}));
    EXPECT_EQ(stepFrames(), (std::vector<Frame>{{16, {2}}}));
    out.clear();
    board.receive(frameBytes(1), out);
    EXPECT_EQ(out.bytes(), Firmware);
    EXPECT_EQ(stepFrames(), (std::vector<Frame>{{16, {3}}}));

    board.receive(Scan, out);
    std::vector<Frame> rest;
    while (board.sweeping()) {
        const std::vector<Frame> step = stepFrames();
        rest.insert(rest.end(), step.begin(), step.end());
    }
    EXPECT_EQ(rest, (std::vector<Frame>{{16, {1}}, {16, {2}}, {16, {3}}, {16, {4}}, {17, {}}}));
    EXPECT_EQ(radio.sweeps, 2);
    // Once it has ended, a step sends nothing.
    EXPECT_TRUE(stepFrames().empty());
}

} // namespace
} // namespace marlow::board
