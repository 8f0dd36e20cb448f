// The board in memory: its answers (and its framing on the way), its scans
// and what they carry, and the options that change a scan.
#include "Handheld.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace marlow::sim {
namespace {

using test::concat;
using test::Message;

const Bytes Scan = encodeFrame(3, Bytes{7});

TEST(Board, AnswersTheHandshakeSkipsNoiseAndDropsMalformedRequests) {
    Board board(test::labConfig());
    const Message firmware{1, {'1', '.', '0', '7', 0}};
    const Message serial{2, {'T', 'B', '-', '0', '0', '0', '4', '1', '7', 0}};
    const Bytes askFirmware = encodeFrame(1, {});
    const Bytes askSerial = encodeFrame(2, {});
    // Bytes from the handheld, the board's answer.
    const std::pair<Bytes, std::vector<Message>> cases[] = {
        {askFirmware, {firmware}},
        {askSerial, {serial}},
        {encodeFrame(8, Bytes{1}), {}},
        {encodeFrame(3, Bytes{5}), {}},
        {encodeFrame(3, {}), {}},
        {{0x00, 0x00, 0x47, 0x11, 0x00, 0x11, 0x12, 0x01, 0x11, 0x13}, {firmware}},
        {concat({askSerial, askFirmware}), {serial, firmware}},
        // A bad escape pair; a frame start inside a frame.
        {concat({{0x11, 0x12, 0x02, 0x11, 0x15, 0x11, 0x13}, askFirmware}), {firmware}},
        {concat({{0x11, 0x12, 0x02, 0x05}, askFirmware}), {firmware}},
        // A payload at the size limit (all escaped) and one over it.
        {encodeFrame(1, Bytes(MaxPayload, 0x11)), {firmware}},
        {concat({encodeFrame(2, Bytes(MaxPayload + 1, 0x42)), askFirmware}), {firmware}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::messagesIn(board.receive(c.first).bytes()), c.second)
            << "case " << &c - cases;

    // A request split anywhere is answered once it is complete.
    EXPECT_TRUE(board.receive(std::span(askSerial).first(3)).empty());
    EXPECT_EQ(test::messagesIn(board.receive(std::span(askSerial).subspan(3)).bytes()),
              std::vector{serial});
}

TEST(Board, ScanSweepsEveryChannelAndReportsRealBeacons) {
    Board board(test::labConfig());
    const std::vector<Message> messages = test::scanAt(board, {130, 80});
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), (Message{17, {}}));

    const std::map<std::string, std::string> ssids = {{test::LabMac, "lab"},
                                                      {test::GuestMac, "guest"}};
    std::vector<int> channels;
    std::map<std::string, int> sightings;
    for (const Message& m : std::span(messages).first(messages.size() - 1)) {
        if (m.type == 16) {
            ASSERT_EQ(m.payload.size(), 1u);
            channels.push_back(m.payload[0]);
            continue;
        }
        ASSERT_EQ(m.type, 15);
        ASSERT_FALSE(channels.empty()) << "a report before the first channel";
        const test::ReportView report = test::viewReport(m.payload);
        const Bytes& capture = report.capture;
        EXPECT_EQ(report.declaredLength, capture.size());
        ASSERT_GE(capture.size(), 40u);
        EXPECT_EQ(capture[4], 0x80); // beacon
        EXPECT_EQ(Bytes(capture.begin() + 8, capture.begin() + 14), Bytes(6, 0xFF));
        EXPECT_TRUE(std::equal(capture.begin() + 14, capture.begin() + 20, capture.begin() + 20))
            << "the BSSID is the transmitter";
        EXPECT_EQ(capture[36] | (capture[37] << 8), 100); // beacon interval
        EXPECT_EQ(report.channel, channels.back()) << "the DS element names the scanned channel";
        EXPECT_GE(report.rssi, -95);
        EXPECT_LE(report.rssi, -20);
        ASSERT_EQ(ssids.count(report.mac), 1u) << report.mac;
        EXPECT_EQ(report.ssid, ssids.at(report.mac));
        ++sightings[report.mac];
    }
    EXPECT_EQ(channels, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    // The lab's access point 10 pixels away is heard one to three times, the
    // guest's across the plan too, the one far outside never.
    for (const char* mac : {test::LabMac, test::GuestMac}) {
        EXPECT_GE(sightings[mac], 1) << mac;
        EXPECT_LE(sightings[mac], 3) << mac;
    }
    EXPECT_EQ(sightings.count(test::FarMac), 0u);
}

TEST(Board, NearerAnAccessPointItIsHeardStronger) {
    Board board(test::labConfig());
    // The lab's access point's average RSSI over ten scans at the position.
    auto average = [&board](Point at) {
        int sum = 0;
        int count = 0;
        for (int scan = 0; scan < 10; ++scan) {
            for (const Message& m : test::scanAt(board, at)) {
                const test::ReportView report = test::viewReport(m.payload);
                sum += report.mac == test::LabMac ? report.rssi : 0;
                count += report.mac == test::LabMac;
            }
        }
        return count == 0 ? -1000.0 : double(sum) / count;
    };
    EXPECT_GT(average({140, 80}), average({700, 500}) + 20);
}

TEST(Board, TheSameSeedGivesTheSameScans) {
    auto record = [](std::uint32_t seed) {
        BoardConfig config = test::labConfig();
        config.scenario.seed = seed;
        Board board(config);
        Bytes all;
        for (Point at : {Point{0, 0}, Point{130, 80}, Point{400, 300}, Point{600, 400}}) {
            board.setSurveyPosition(at);
            const Bytes scan = board.receive(Scan).bytes();
            all.insert(all.end(), scan.begin(), scan.end());
        }
        return all;
    };
    EXPECT_EQ(record(7), record(7));
    EXPECT_NE(record(7), record(8));
}

TEST(Board, SilentScanSendsOnlyChannelsAndTheEnd) {
    BoardConfig config = test::labConfig();
    config.silent = true;
    Board board(config);
    std::vector<Message> expected;
    for (std::uint8_t channel = 1; channel <= 14; ++channel)
        expected.push_back({16, {channel}});
    expected.push_back({17, {}});
    EXPECT_EQ(test::scanAt(board, {130, 80}), expected);
}

TEST(Board, LowBatteryMarksOnlyTheFirstReportOfTheRun) {
    BoardConfig config = test::labConfig();
    config.lowBattery = true;
    Board board(config);
    std::vector<int> types;
    for (int scan = 0; scan < 2; ++scan) {
        for (const Message& m : test::scanAt(board, {130, 80}))
            if (m.type == 13 || m.type == 15)
                types.push_back(m.type);
    }
    ASSERT_GE(types.size(), 3u);
    EXPECT_EQ(types[0], 13);
    EXPECT_EQ(std::count(types.begin(), types.end(), 13), 1);
}

} // namespace
} // namespace marlow::sim
