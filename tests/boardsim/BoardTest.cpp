// The board in memory: its framing and answers, its scans and the beacons
// they carry, the options that change a scan, and the faults it injects.
#include "boardsim/Board.h"

#include "boardsim/Beacon.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <tuple>

namespace marlow::sim {
namespace {

const Bytes Scan = encodeFrame(3, Bytes{7});
const Bytes Firmware = {0x11, 0x12, 0x01, '1', '.', '0', '7', 0, 0x11, 0x13};
const MacAddress Lab = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
const MacAddress Guest = {0x00, 0x11, 0x22, 0x33, 0x44, 0xAA};

Bytes join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<Frame> framesIn(const Bytes& bytes) {
    return FrameDecoder().feed(bytes);
}

// "lab" near the top left on channel 6, "guest" across the plan on channel
// 1, "far" kilometres away on channel 11 (never heard); and options.
BoardConfig lab(bool silent = false, bool lowBattery = false, FaultSet faults = {}) {
    BoardConfig config{
        .scenario = {}, .lowBattery = lowBattery, .silent = silent, .faults = std::move(faults)};
    config.scenario.seed = 7;
    config.scenario.accessPoints = {{Lab, "lab", 6, 120, 80, 0},
                                    {Guest, "guest", 1, 600, 400, 0},
                                    {{0, 0x11, 0x22, 0x33, 0xEE, 0xEE}, "far", 11, 100000, 0, 0}};
    return config;
}

std::vector<Frame> scanAt(Board& board, Point at) {
    board.setSurveyPosition(at);
    return framesIn(board.receive(Scan).bytes());
}

TEST(Board, FramesItsAnswersSkipsNoiseAndDropsMalformedRequests) {
    // Every 11 is escaped, the type's included.
    EXPECT_EQ(encodeFrame(0x11, Bytes{0x11, 0x13}),
              (Bytes{0x11, 0x12, 0x11, 0x14, 0x11, 0x14, 0x13, 0x11, 0x13}));
    Board board(lab());
    const Bytes askFirmware = encodeFrame(1, {});
    // Bytes from the handheld, the board's answer.
    const std::pair<Bytes, Bytes> cases[] = {
        {askFirmware, Firmware},
        {encodeFrame(2, {}), encodeFrame(2, Bytes{'T', 'B', '-', '0', '0', '0', '4', '1', '7', 0})},
        {encodeFrame(8, Bytes{1}), {}},
        {encodeFrame(3, Bytes{5}), {}},
        // Keep-alive zeros and noise before a request.
        {{0x00, 0x00, 0x47, 0x11, 0x00, 0x11, 0x12, 0x01, 0x11, 0x13}, Firmware},
        // A bad escape pair; a frame start inside a frame.
        {join({0x11, 0x12, 0x02, 0x11, 0x15, 0x11, 0x13}, askFirmware), Firmware},
        {join({0x11, 0x12, 0x02, 0x05}, askFirmware), Firmware},
        // A payload at the size limit (all escaped) and one over it.
        {encodeFrame(1, Bytes(MaxPayload, 0x11)), Firmware},
        {join(encodeFrame(2, Bytes(MaxPayload + 1, 0x42)), askFirmware), Firmware},
    };
    for (const auto& [request, answer] : cases)
        EXPECT_EQ(board.receive(request).bytes(), answer) << "case " << &request - &cases[0].first;
    // A request split anywhere is answered once it is complete.
    EXPECT_TRUE(board.receive(std::span(askFirmware).first(3)).empty());
    EXPECT_EQ(board.receive(std::span(askFirmware).subspan(3)).bytes(), Firmware);
}

TEST(Board, ReportCarriesTheBeaconAsCaptured) {
    const BeaconFields beacon{Lab, "lab", 6, 0x123, 0x0102030405060708, {6, 0xC4, 0x01, 0x00}};
    EXPECT_EQ(reportPayload(-60, beaconCapture(beacon)),
              (Bytes{0x00, 0xC4, 58,   0,                                  // unused, RSSI, N
                     6,    0xC4, 0x01, 0x00,                               // board prefix
                     0x80, 0,    0,    0,    0xFF, 0xFF, 0xFF,             // a beacon to everyone
                     0xFF, 0xFF, 0xFF, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55, // transmitter
                     0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x30, 0x12,       // BSSID, sequence
                     8,    7,    6,    5,    4,    3,    2,    1,          // timestamp
                     100,  0,    0x21, 0x00,                               // interval, capabilities
                     0,    3,    'l',  'a',  'b',                          // SSID
                     1,    8,    0x82, 0x84, 0x8B, 0x96, 0x0C, 0x12, 0x18, 0x24, // rates
                     3,    1,    6}));                                           // DS
}

TEST(Board, ScanSweepsEveryChannelAndReportsTheBeaconsHeardWhereTheSurveyorStands) {
    Board board(lab());
    const std::vector<Frame> frames = scanAt(board, {130, 80});
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
        BoardConfig config = lab();
        config.scenario.seed = seed;
        Board board(config);
        return scanAt(board, {600, 400});
    };
    EXPECT_EQ(record(7), record(7));
    EXPECT_NE(record(7), record(8));
}

TEST(Board, SilentScanSendsOnlyChannelsAndTheEndLowBatteryMarksOnlyTheFirstReport) {
    Board silent(lab(true));
    std::vector<Frame> expected;
    for (std::uint8_t channel = 1; channel <= 14; ++channel)
        expected.push_back({16, {channel}});
    expected.push_back({17, {}});
    EXPECT_EQ(scanAt(silent, {130, 80}), expected);

    Board low(lab(false, true));
    std::vector<int> types;
    for (int scan = 0; scan < 2; ++scan) {
        for (const Frame& f : scanAt(low, {130, 80}))
            if (f.type == 13 || f.type == 15)
                types.push_back(f.type);
    }
    ASSERT_GE(types.size(), 3u);
    EXPECT_EQ(types[0], 13);
    EXPECT_EQ(std::count(types.begin(), types.end(), 13), 1);
}

TEST(Faults, EachSendsItsBytes) {
    // Bytes sent, frames a receiver without a byte time-out keeps, and the
    // capture and N of the report among them.
    const std::tuple<Fault, std::size_t, std::size_t, std::size_t, int> cases[] = {
        {Fault::Garbage, 15, 0, 0, 0},        {Fault::BadEscape, 82, 0, 0, 0},
        {Fault::Stall, 75, 1, 66, 66},        {Fault::Oversize, 9005, 0, 0, 0},
        {Fault::ShortCapture, 33, 1, 24, 24}, {Fault::LongCapture, 2209, 1, 2200, 2200},
        {Fault::Truncated, 79, 1, 70, 170},   {Fault::UnknownType, 18, 3, 0, 0},
    };
    for (const auto& [fault, size, frames, capture, declared] : cases) {
        const Bytes bytes = faultTransmission(fault).bytes();
        const std::vector<Frame> kept = framesIn(bytes);
        EXPECT_EQ(std::tuple(bytes.size(), kept.size()), std::tuple(size, frames))
            << faultName(fault);
        if (declared == 0)
            continue;
        EXPECT_EQ(
            std::tuple(kept.at(0).payload.size() - 4, kept[0].payload[2] | kept[0].payload[3] << 8),
            std::tuple(capture, declared))
            << faultName(fault);
    }
    EXPECT_EQ(faultTransmission(Fault::Garbage).bytes(),
              (Bytes{0x00, 0x00, 0xFF, 0x12, 0x13, 0x14, 0x11, 0x00, 'n', 'o', 'i', 's', 'e', 0x0D,
                     0x0A}));
    EXPECT_EQ(framesIn(faultTransmission(Fault::UnknownType).bytes()),
              (std::vector<Frame>{{0x05, {0x01}}, {0x13, {0x11}}, {0xFF, {}}}));
    // The stall holds the line inside the frame for longer than 251 ms.
    const Transmission stall = faultTransmission(Fault::Stall);
    ASSERT_EQ(stall.segments().size(), 2u);
    EXPECT_EQ(stall.segments()[0].bytes.size(), 8u);
    EXPECT_GT(stall.segments()[0].pauseAfter, std::chrono::milliseconds(251));
}

TEST(Faults, GoInOrderRightAfterChannelOneAndLeaveTheRestOfTheScanIntact) {
    const Bytes clean = Board(lab()).receive(Scan).bytes();
    Bytes expected = clean;
    const Bytes channelOne = encodeFrame(16, Bytes{1});
    auto at = std::search(expected.begin(), expected.end(), channelOne.begin(), channelOne.end());
    ASSERT_NE(at, expected.end());
    at += static_cast<std::ptrdiff_t>(channelOne.size());
    for (Fault fault : AllFaults) {
        const Bytes injected = faultTransmission(fault).bytes();
        at = expected.insert(at, injected.begin(), injected.end()) +
             static_cast<std::ptrdiff_t>(injected.size());
    }
    const Bytes faulted =
        Board(lab(false, false, {AllFaults.begin(), AllFaults.end()})).receive(Scan).bytes();
    EXPECT_EQ(faulted, expected);
    // Less the phantom access points 02:FA:17:... and the unknown types, a
    // receiver gets the clean scan.
    std::vector<Frame> genuine;
    for (const Frame& f : framesIn(faulted)) {
        if ((f.type == 15 && f.payload.at(18) != 0x02) || f.type == 16 || f.type == 17)
            genuine.push_back(f);
    }
    EXPECT_EQ(genuine, framesIn(clean));
}

} // namespace
} // namespace marlow::sim
