// The analyzer link without a port. Its receive parser as the reader runs
// it. What the link sends: requests, commands and the keep-alive, and what it
// refuses to send. How it handles the board's messages: the handshake chain, the
// texts, the scan state and which sweep a measurement takes, the
// low-battery warning. The scan list that
// access-point reports build (ordered insertion, sums, SSID and channel
// rules).
#include "Frames.h"
#include "link/AnalyzerLink.h"
#include "link/ApplyReport.h"
#include "protocol/Protocol.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <tuple>

namespace marlow {
namespace {

using Bytes = std::vector<std::uint8_t>;

using test::reportWith;
using test::textBytes;

// A link that sends into a buffer and whose events count.
class LinkTest : public ::testing::Test, public ByteSink, public LinkEvents {
protected:
    LinkTest() { link.attachSink(this); }

    int send(const std::uint8_t* bytes, std::size_t length) override {
        sends.emplace_back(bytes, bytes + length);
        return 1;
    }
    void notifyDraw() override { ++draws; }
    void warnLowBattery() override {
        ++warnings;
        recordsAtWarning = records().size();
    }

    void handle(std::uint8_t type, const Bytes& payload = {}) {
        link.handleMessage(type, payload.data(), static_cast<std::uint16_t>(payload.size()));
    }
    // A typical beacon's report.
    void report(std::int8_t rssi, std::uint8_t ap, std::string_view ssid = "net",
                std::uint8_t channel = 6, std::uint8_t type = msg::ApReport) {
        handle(type, reportWith(rssi, ap, typicalBeaconElements(ssid, channel)));
    }
    std::vector<SurveyRecord> records() const {
        return scanList.withLock([](const RecordList& list) {
            return std::vector<SurveyRecord>(list.begin(), list.end());
        });
    }
    std::string text(void (AnalyzerLink::*copy)(char (&)[FramedLink::TextSize]) const) const {
        char text[FramedLink::TextSize];
        std::fill(std::begin(text), std::end(text), 'x');
        (link.*copy)(text);
        return text;
    }

    std::vector<Bytes> sends;
    int draws = 0;
    int warnings = 0;
    std::size_t recordsAtWarning = 99;
    SharedRecordList scanList;
    AnalyzerLink link{*this, scanList};
};

// The link runs the protocol's parser as the reader thread drives it, the
// same byte again whenever parse asks for none: a frame reaches the message
// handling, and the parser's state is the link's.
TEST_F(LinkTest, ParseRunsTheReceiveParserIntoTheMessageHandling) {
    link.setParserState(ParserState::Reset);
    std::uint8_t byte = 0;
    int count = 0;
    for (const std::uint8_t next : test::frameBytes(msg::FirmwareText, textBytes("1.07"))) {
        while (link.parse(&byte, count) == 0) {
        }
        byte = next;
        count = 1;
    }
    EXPECT_EQ(link.parse(&byte, count), 0) << "the end byte delivers the frame";
    EXPECT_EQ(link.parserState(), ParserState::Delivered);
    EXPECT_EQ(text(&AnalyzerLink::copyFirmwareText), "1.07");
    EXPECT_EQ(sends, (std::vector<Bytes>{{0x11, 0x12, 0x02, 0x11, 0x13}}));
}

TEST_F(LinkTest, SendsFramedRequestsAndCommandsAndAnUnframedKeepAlive) {
    link.attachSink(nullptr);
    EXPECT_EQ(link.requestFirmwareVersion(), 0) << "without a sink nothing is sent";
    link.attachSink(this);
    link.scanDone = true;
    EXPECT_EQ(link.requestFirmwareVersion(), 1);
    EXPECT_EQ(link.keepAlive(), 1);
    EXPECT_EQ(link.sendCommand(0x11), 1);
    EXPECT_FALSE(link.scanRequested) << "only command 7 requests a scan";
    EXPECT_EQ(link.sendCommand(7), 1);
    EXPECT_TRUE(link.scanRequested);
    EXPECT_FALSE(link.scanDone) << "a new measurement waits for its own sweep";
    // A message whose frame would pass 128 bytes is not sent at all.
    const Bytes spaces(124, 0x20);
    EXPECT_EQ(link.sendMessage(0x03, spaces.data(), 124), 0);
    EXPECT_EQ(sends, (std::vector<Bytes>{{0x11, 0x12, 0x01, 0x11, 0x13},
                                         {0x00, 0x00},
                                         {0x11, 0x12, 0x03, 0x11, 0x14, 0x11, 0x13},
                                         {0x11, 0x12, 0x03, 0x07, 0x11, 0x13}}));
    link.clearScanFlags();
    EXPECT_FALSE(link.scanRequested);
    EXPECT_FALSE(link.scanDone);
}

// The handshake chain: one serial-number request per firmware text, one
// mode 01 per serial text.
TEST_F(LinkTest, TextsAreStoredCutTo31AndEachAnsweredOnce) {
    // What the board sends, what is stored.
    const std::pair<Bytes, std::string> cases[] = {
        {{'a', 'b', 0x00, 'c'}, "ab"},
        {{}, ""},
        {textBytes(std::string(40, 'v')), std::string(31, 'v')},
        {textBytes("short"), "short"}, // no remnant of the longer text
    };
    std::vector<Bytes> answers;
    for (const auto& [payload, stored] : cases) {
        handle(msg::FirmwareText, payload);
        handle(msg::SerialText, payload);
        EXPECT_EQ(text(&AnalyzerLink::copyFirmwareText), stored);
        EXPECT_EQ(text(&AnalyzerLink::copySerialText), stored);
        answers.insert(answers.end(), {{0x11, 0x12, 0x02, 0x11, 0x13},         // serial request
                                       {0x11, 0x12, 0x08, 0x01, 0x11, 0x13}}); // mode 01
        EXPECT_EQ(sends, answers);
    }
}

TEST_F(LinkTest, ScanStateFollowsChannelReportAndCompleteMessagesAndTheBatteryIsWarnedOnce) {
    // Unknown types change nothing and are not shown, even a report's.
    report(-60, 1, "lab", 6, 5);
    handle(3, {0x07});
    EXPECT_TRUE(sends.empty());
    EXPECT_TRUE(records().empty());
    EXPECT_EQ(draws, 0);

    link.sendCommand(msg::StartScan);
    handle(msg::ScanChannel, {0xFF});
    EXPECT_EQ(link.scanChannel, 255);
    handle(msg::Channel);
    EXPECT_EQ(link.lastBoardChannel(), 0) << "an empty payload reads as zero";
    handle(msg::ScanComplete, {0x01, 0x02});
    EXPECT_TRUE(link.scanDone);
    // A low battery is warned of once, and before its report counts.
    report(-60, 1, "lab", 6, msg::ApReportLowBattery);
    EXPECT_FALSE(link.scanDone);
    EXPECT_EQ(recordsAtWarning, 0u);
    handle(msg::ScanComplete);
    EXPECT_TRUE(link.scanDone);
    // Even a report too short to use postpones the end of the scan.
    handle(msg::ApReport, {0x00});
    EXPECT_FALSE(link.scanDone);
    report(-62, 1, "lab", 6, msg::ApReportLowBattery);
    EXPECT_EQ(warnings, 1);
    ASSERT_EQ(records().size(), 1u);
    EXPECT_EQ(records()[0].sampleCount, 2);
    EXPECT_EQ(draws, 7);
}

// A measurement takes the first sweep that begins after its start-scan
// command, whatever the board does with a command that arrives mid-sweep.
// Script: T takes a point (start-scan), Cn announces channel n, Rn reports
// access point n, E completes a sweep, K commits (clears the flags).
TEST_F(LinkTest, AMeasurementTakesOnlyASweepBegunAfterItsCommand) {
    struct Case {
        const char* board;
        const char* script;
        bool done;
        std::vector<int> heard;
        bool idleBeforeSweep = false;
    };
    const Case cases[] = {
        {"restarts", "T C1 R1 C2 R2 T R2 C1 R3 C2 R4 E", true, {3, 4}},
        {"queues", "T C1 R1 C2 T R2 C3 R5 E C1 R3 C2 R4 C3 E", true, {3, 4}},
        {"ignores", "T C1 R1 C2 T R2 C3 E", false, {}, true},
        {"ignores, asked again", "T C1 R1 C2 T R2 C3 E T C1 R3 E", true, {3}},
        {"queues, next point", "T C1 R1 T C2 E C1 R3 E K C1 R4 E T", false, {}},
        {"queues, next point done", "T C1 R1 T C2 E C1 R3 E K C1 R4 E T C1 R6 E", true, {6}},
        {"stale end while idle", "E T", false, {}},
        {"ends without reports", "T E", true, {}},
        {"reports after the end", "T C1 R1 E R2 E", true, {1, 2}},
        {"new sweep after the end", "T C1 R1 E C1 R2", true, {1}},
        {"no channel messages", "T R1 R2 E", true, {1, 2}},
    };
    for (const Case& c : cases) {
        scanList.withLock([](RecordList& list) { list.clear(); });
        AnalyzerLink fresh(*this, scanList);
        fresh.attachSink(this);
        auto on = [&](std::uint8_t type, const Bytes& payload) {
            fresh.handleMessage(type, payload.data(), static_cast<std::uint16_t>(payload.size()));
        };
        std::istringstream script(c.script);
        for (std::string step; script >> step;) {
            const auto number =
                static_cast<std::uint8_t>(step.size() > 1 ? std::stoi(step.substr(1)) : 0);
            if (step[0] == 'T')
                fresh.sendCommand(msg::StartScan);
            else if (step[0] == 'C')
                on(msg::ScanChannel, {number});
            else if (step[0] == 'R')
                on(msg::ApReport, reportWith(-60, number, typicalBeaconElements("net", 6)));
            else if (step[0] == 'E')
                on(msg::ScanComplete, {});
            else
                fresh.clearScanFlags();
        }
        std::vector<int> heard;
        for (const SurveyRecord& r : records())
            heard.push_back(r.macAddr[5]);
        std::sort(heard.begin(), heard.end());
        EXPECT_EQ(std::tuple(fresh.scanDone.load(), heard, fresh.boardIdleBeforeSweep()),
                  std::tuple(c.done, c.heard, c.idleBeforeSweep))
            << "a board that " << c.board << ": " << c.script;
    }
}

// A peer inventing a transmitter per report fills the list to its cap; the
// rest are counted, and known transmitters still add their samples.
TEST_F(LinkTest, TheScanListStopsAtItsCapAndCountsWhatItTurnedAway) {
    link.sendCommand(msg::StartScan);
    auto reportFrom = [&](std::uint16_t n, std::int8_t rssi) {
        Bytes payload = reportWith(rssi, 0, typicalBeaconElements("net", 6));
        // The transmitter's last two bytes carry the number.
        payload[report::CaptureOffset + report::TransmitterOffset + 4] =
            static_cast<std::uint8_t>(n >> 8);
        payload[report::CaptureOffset + report::TransmitterOffset + 5] =
            static_cast<std::uint8_t>(n);
        handle(msg::ApReport, payload);
    };
    for (std::uint16_t n = 0; n < MaxScanRecords + 10; ++n)
        reportFrom(n, -70);
    reportFrom(7, -50);
    const std::vector<SurveyRecord> list = records();
    ASSERT_EQ(list.size(), MaxScanRecords);
    EXPECT_EQ(link.droppedReports, 10u);
    const auto seventh = std::find_if(list.begin(), list.end(), [](const SurveyRecord& r) {
        return r.macAddr[4] == 0 && r.macAddr[5] == 7;
    });
    ASSERT_NE(seventh, list.end());
    EXPECT_EQ((std::pair<int, int>(seventh->sampleCount, seventh->rssi)), (std::pair(2, -120)));
    link.sendCommand(msg::StartScan);
    EXPECT_EQ(std::pair(records().size(), link.droppedReports.load()),
              std::pair(std::size_t{0}, 0u));
}

TEST_F(LinkTest, InsertsInAscendingRssiAndSumsSamplesInPlaceBeyond16Bits) {
    const std::pair<std::int8_t, std::uint8_t> sightings[] = {
        {-60, 1}, {-40, 2}, {-80, 3}, {-60, 4}, {-62, 1}};
    for (const auto& [rssi, ap] : sightings)
        report(rssi, ap);
    std::vector<std::string> order;
    for (const SurveyRecord& r : records())
        order.emplace_back(r.macText);
    // Equal RSSI goes after; a later sample does not move its record.
    EXPECT_EQ(order, (std::vector<std::string>{"001122334403", "001122334401", "001122334404",
                                               "001122334402"}));
    EXPECT_EQ(records()[1].rssi, -122);
    EXPECT_EQ(records()[1].sampleCount, 2);
    EXPECT_EQ(records()[1].macAddr[5], 0x01);
    for (int i = 0; i < 600; ++i)
        report(-60, 1);
    EXPECT_EQ(records()[1].rssi, -36122);
    EXPECT_EQ(records()[1].rssi / records()[1].sampleCount, -60);
}

TEST_F(LinkTest, TakesTheLatestSsidButKeepsTheFirstChannel) {
    handle(msg::ApReport, reportWith(-60, 1, {{0, textBytes("a")}})); // no channel yet: 0
    report(-60, 2, "b", 11);
    handle(msg::ApReport, reportWith(-60, 3, {{0, textBytes("c")}})); // the last channel seen
    report(-60, 1, "", 3); // a known record keeps its channel, even an empty SSID replaces
    const auto list = records();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].channel, 0);
    EXPECT_EQ(std::string(list[0].ssid), "");
    EXPECT_EQ(list[1].channel, 11);
    EXPECT_EQ(list[2].channel, 11);
    EXPECT_EQ(std::string(list[2].ssid), "c");
}

} // namespace
} // namespace marlow
