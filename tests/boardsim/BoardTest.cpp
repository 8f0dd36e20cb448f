// The board in memory: its answers, its scans and what they carry, and the
// options that change a scan. Faults are in FaultsTest.cpp.
#include "BoardFixtures.h"

#include <gtest/gtest.h>
#include <map>

namespace marlow::sim {
namespace {

using test::frameOf;
using test::Message;

TEST(Board, AnswersTheHandshakeAndNothingElse) {
    Board board(labConfig());
    const Bytes firmware = {'1', '.', '0', '7', 0};
    const Bytes serial = {'T', 'B', '-', '0', '0', '0', '4', '1', '7', 0};
    struct Case {
        const char* name;
        Bytes request;
        std::vector<Message> answer;
    };
    const Case cases[] = {
        {"firmware request", frameOf(1), {{1, firmware}}},
        {"serial request", frameOf(2), {{2, serial}}},
        {"mode setting", frameOf(8, {1}), {}},
        {"command other than scan", frameOf(3, {5}), {}},
        {"command without a code", frameOf(3), {}},
        {"keep-alive", {0x00, 0x00}, {}},
        {"after keep-alive and garbage",
         {0x00, 0x00, 0x47, 0x11, 0x00, 0x11, 0x12, 0x01, 0x11, 0x13},
         {{1, firmware}}},
        {"two requests at once",
         test::concat({frameOf(2), frameOf(1)}),
         {{2, serial}, {1, firmware}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(test::messagesIn(board.receive(c.request).bytes()), c.answer) << c.name;

    // A request split anywhere is answered once it is complete.
    const Bytes request = frameOf(2);
    EXPECT_TRUE(board.receive(std::span(request).first(3)).empty());
    EXPECT_EQ(test::messagesIn(board.receive(std::span(request).subspan(3)).bytes()),
              (std::vector<Message>{{2, serial}}));
}

TEST(Board, ScanSweepsEveryChannelAndReportsRealBeacons) {
    Board board(labConfig());
    const std::vector<Message> messages = scanAt(board, {130, 80});
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), (Message{17, {}}));

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
        EXPECT_EQ(m.payload[0], 0);
        EXPECT_EQ(report.declaredLength, capture.size());
        ASSERT_GE(capture.size(), 40u);
        EXPECT_EQ(capture[4], 0x80); // beacon
        EXPECT_EQ(capture[5], 0x00);
        EXPECT_EQ(Bytes(capture.begin() + 8, capture.begin() + 14), Bytes(6, 0xFF));
        EXPECT_TRUE(std::equal(capture.begin() + 14, capture.begin() + 20, capture.begin() + 20))
            << "the BSSID is the transmitter";
        EXPECT_EQ(capture[36] | (capture[37] << 8), 100); // beacon interval
        EXPECT_EQ(report.channel, channels.back()) << "the DS element names the scanned channel";
        EXPECT_GE(report.rssi, -95);
        EXPECT_LE(report.rssi, -20);
        const auto ap = labAccessPoints().find(report.mac);
        ASSERT_NE(ap, labAccessPoints().end()) << report.mac;
        EXPECT_EQ(report.ssid, ap->second.ssid);
        EXPECT_EQ(report.channel, ap->second.channel);
        ++sightings[report.mac];
    }
    EXPECT_EQ(channels, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
    // The near access point 10 pixels away is heard one to three times, the
    // one across the plan too, the one far outside never.
    for (const char* mac : {LabMac, GuestMac}) {
        EXPECT_GE(sightings[mac], 1) << mac;
        EXPECT_LE(sightings[mac], 3) << mac;
    }
    EXPECT_EQ(sightings.count(FarMac), 0u);
}

TEST(Board, NearerAnAccessPointItIsHeardStronger) {
    Board board(labConfig());
    const double nearRssi = averageRssi(board, {140, 80}, LabMac);
    const double farRssi = averageRssi(board, {700, 500}, LabMac);
    EXPECT_GT(nearRssi, farRssi + 20);
}

TEST(Board, TheSameSeedGivesTheSameScans) {
    const std::vector<Point> walk = {{0, 0}, {130, 80}, {400, 300}, {600, 400}};
    auto record = [&walk](std::uint32_t seed) {
        BoardConfig config = labConfig();
        config.scenario.seed = seed;
        Board board(config);
        Bytes all;
        for (Point at : walk) {
            board.setSurveyPosition(at);
            const Bytes scan = board.receive(frameOf(3, {7})).bytes();
            all.insert(all.end(), scan.begin(), scan.end());
        }
        return all;
    };
    EXPECT_EQ(record(7), record(7));
    EXPECT_NE(record(7), record(8));
}

TEST(Board, SilentScanSendsOnlyChannelsAndTheEnd) {
    BoardConfig config = labConfig();
    config.silent = true;
    Board board(config);
    std::vector<Message> expected;
    for (std::uint8_t channel = 1; channel <= 14; ++channel)
        expected.push_back({16, {channel}});
    expected.push_back({17, {}});
    EXPECT_EQ(scanAt(board, {130, 80}), expected);
}

TEST(Board, LowBatteryMarksOnlyTheFirstReport) {
    BoardConfig config = labConfig();
    config.lowBattery = true;
    Board board(config);
    auto reportTypes = [&board] {
        std::vector<int> types;
        for (const Message& m : scanAt(board, {130, 80}))
            if (m.type == 13 || m.type == 15)
                types.push_back(m.type);
        return types;
    };
    const std::vector<int> first = reportTypes();
    ASSERT_GE(first.size(), 2u);
    EXPECT_EQ(first[0], 13);
    EXPECT_EQ(std::count(first.begin(), first.end(), 13), 1);
    const std::vector<int> second = reportTypes();
    EXPECT_EQ(std::count(second.begin(), second.end(), 13), 0);
}

} // namespace
} // namespace marlow::sim
