// The real link end to end: LinkSession, SerialPort and AnalyzerLink on a
// pseudo-terminal, with the board simulator at the far end. The start-up
// bytes on the wire, the handshake, and scans that are clean, silent, full
// of faults or that carry a low-battery report.
#include "ExpectedScan.h"
#include "LinkObservers.h"
#include "SimulatedBoard.h"
#include "link/Messages.h"
#include "link/serial/LinkSession.h"
#include "link/serial/SysfsRegistry.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace marlow::e2e {
namespace {

// Under the office's access point on channel 1.
constexpr sim::Point NearOfficeAp{110, 70};
constexpr const char* NearOfficeApMac = "001A2B3C0101";

struct LinkOverPty : ::testing::Test {
    // Starts the link on the board's device with the real start-up pause.
    void startLink(LinkSession& session, const SimulatedBoard& board) {
        LinkStartOptions options;
        options.device = board.devicePath();
        session.start(registry, options, {});
        ASSERT_TRUE(session.portOpen()) << board.devicePath();
    }

    // Starts the link and waits until the board has the handshake's last
    // message: a command sent earlier could take its place in the outbox.
    void startAndGreet(LinkSession& session, SimulatedBoard& board) {
        ASSERT_NO_FATAL_FAILURE(startLink(session, board));
        ASSERT_TRUE(board.waitForFrame(msg::Mode, {msg::ModeAfterHandshake}));
    }

    // Takes one scan and waits for its end.
    void scan(LinkSession& session) {
        AnalyzerLink& link = session.link();
        ASSERT_FALSE(link.scanDone.load());
        ASSERT_EQ(link.sendCommand(msg::StartScan), 1);
        EXPECT_TRUE(link.scanRequested.load());
        ASSERT_TRUE(events.waitUntil([&] { return link.scanDone.load(); }));
        EXPECT_TRUE(link.scanRequested.load());
        EXPECT_EQ(link.scanChannel.load(), sim::LastChannel);
    }

    RecordingEvents events;
    ErrorLog messages;
    MonotonicSecondsClock clock;
    SharedRecordList scanList;
    const SysfsRegistry registry;
};

std::string boardText(void (AnalyzerLink::*copy)(char (&)[FramedLink::TextSize]) const,
                      const AnalyzerLink& link) {
    char text[FramedLink::TextSize];
    (link.*copy)(text);
    return text;
}

TEST_F(LinkOverPty, FirstBytesAreTheKeepAliveThenTheFirmwareRequest) {
    SimulatedBoard board(officeBoard());
    ASSERT_EQ(board.start(), "");
    LinkSession session(events, scanList, messages, clock);
    ASSERT_NO_FATAL_FAILURE(startLink(session, board));

    // The reader's first pass sends the keep-alive; the firmware request
    // follows the start-up pause.
    const sim::Bytes startUp{0x00, 0x00, 0x11, 0x12, 0x01, 0x11, 0x13};
    ASSERT_TRUE(board.waitForReceived([&](const sim::Bytes& b) { return b.size() >= 7; }));
    const sim::Bytes received = board.received();
    EXPECT_EQ(sim::Bytes(received.begin(), received.begin() + 7), startUp);
    EXPECT_TRUE(messages.texts().empty());
}

TEST_F(LinkOverPty, HandshakeFetchesBothTextsAndSetsTheModeOnce) {
    const sim::BoardConfig config = officeBoard();
    SimulatedBoard board(config);
    ASSERT_EQ(board.start(), "");
    LinkSession session(events, scanList, messages, clock);
    ASSERT_NO_FATAL_FAILURE(startAndGreet(session, board));

    const AnalyzerLink& link = session.link();
    EXPECT_TRUE(
        events.waitUntil([&] { return !boardText(&AnalyzerLink::copySerialText, link).empty(); }));
    EXPECT_EQ(boardText(&AnalyzerLink::copyFirmwareText, link), config.scenario.firmware);
    EXPECT_EQ(boardText(&AnalyzerLink::copySerialText, link), config.scenario.serial);

    // Once both have stopped, everything the link sent has been read.
    session.stop();
    board.stop();
    const std::vector<sim::Frame> sent = board.framesReceived();
    const std::vector<sim::Frame> handshake{
        {msg::FirmwareRequest, {}},
        {msg::SerialRequest, {}},
        {msg::Mode, {msg::ModeAfterHandshake}},
    };
    EXPECT_EQ(sent, handshake);
    EXPECT_GE(events.draws(), 2);
    EXPECT_TRUE(scanList.withLock([](const RecordList& list) { return list.empty(); }));
}

TEST_F(LinkOverPty, ScanFillsTheScanListWithTheAccessPointsHeard) {
    const sim::BoardConfig config = officeBoard();
    SimulatedBoard board(config);
    ASSERT_EQ(board.start(), "");
    board.setSurveyPosition(NearOfficeAp);
    LinkSession session(events, scanList, messages, clock);
    ASSERT_NO_FATAL_FAILURE(startAndGreet(session, board));
    ASSERT_NO_FATAL_FAILURE(scan(session));

    const std::vector<ScanRecord> heard = scanRecordsOf(scanList);
    EXPECT_EQ(heard, expectedScan(config, NearOfficeAp));

    // Whatever the model's noise: scenario access points on their own
    // channels, plausible levels, the one overhead loudest of all.
    ASSERT_FALSE(heard.empty());
    int loudest = -128;
    std::string loudestMac;
    for (const ScanRecord& record : heard) {
        const auto ap =
            std::find_if(config.scenario.accessPoints.begin(), config.scenario.accessPoints.end(),
                         [&](const sim::AccessPoint& a) { return macText(a.mac) == record.mac; });
        ASSERT_NE(ap, config.scenario.accessPoints.end()) << record.mac;
        EXPECT_EQ(record.ssid, ap->ssid);
        EXPECT_EQ(record.channel, ap->channel);
        ASSERT_GT(record.samples, 0);
        const int average = record.rssiSum / record.samples;
        EXPECT_GE(average, sim::WeakestRssi);
        EXPECT_LE(average, sim::StrongestRssi);
        if (average > loudest) {
            loudest = average;
            loudestMac = record.mac;
        }
    }
    EXPECT_EQ(loudestMac, NearOfficeApMac);
    EXPECT_GE(loudest, -45);
}

TEST_F(LinkOverPty, SilentScanEndsWithAnEmptyScanList) {
    sim::BoardConfig config = officeBoard();
    config.silent = true;
    SimulatedBoard board(config);
    ASSERT_EQ(board.start(), "");
    board.setSurveyPosition(NearOfficeAp);
    LinkSession session(events, scanList, messages, clock);
    ASSERT_NO_FATAL_FAILURE(startAndGreet(session, board));
    ASSERT_NO_FATAL_FAILURE(scan(session));

    EXPECT_EQ(scanRecordsOf(scanList), std::vector<ScanRecord>{});
}

TEST_F(LinkOverPty, ScanFullOfFaultsKeepsOnlyTheWellFormedReports) {
    sim::BoardConfig config = officeBoard();
    config.faults = sim::FaultSet(sim::AllFaults.begin(), sim::AllFaults.end());
    SimulatedBoard board(config);
    ASSERT_EQ(board.start(), "");
    board.setSurveyPosition(NearOfficeAp);
    LinkSession session(events, scanList, messages, clock);
    ASSERT_NO_FATAL_FAILURE(startAndGreet(session, board));
    ASSERT_NO_FATAL_FAILURE(scan(session));

    // Faults report a phantom transmitter 02:FA:17:00:00:0k, k = 1 + the
    // fault's place in the list. Dropped frames and a capture too short for
    // its fixed fields leave no record; a capture longer than the element
    // area, or shorter than it claims, still names its transmitter.
    std::vector<ScanRecord> real;
    std::vector<std::string> phantoms;
    for (const ScanRecord& record : scanRecordsOf(scanList)) {
        if (record.mac.starts_with("02FA17"))
            phantoms.push_back(record.mac);
        else
            real.push_back(record);
    }
    for (const std::string& mac : phantoms)
        EXPECT_TRUE(mac == "02FA17000006" || mac == "02FA17000007") << mac;

    // The faults take nothing from the board's noise: the access points are
    // heard exactly as without them.
    sim::BoardConfig clean = config;
    clean.faults.clear();
    EXPECT_EQ(real, expectedScan(clean, NearOfficeAp));
}

TEST_F(LinkOverPty, LowBatteryIsWarnedOnceAndItsReportCounts) {
    sim::BoardConfig config = officeBoard();
    config.lowBattery = true;
    SimulatedBoard board(config);
    ASSERT_EQ(board.start(), "");
    board.setSurveyPosition(NearOfficeAp);
    LinkSession session(events, scanList, messages, clock);
    ASSERT_NO_FATAL_FAILURE(startAndGreet(session, board));
    ASSERT_NO_FATAL_FAILURE(scan(session));

    EXPECT_EQ(events.lowBatteryWarnings(), 1);
    EXPECT_EQ(scanRecordsOf(scanList), expectedScan(config, NearOfficeAp));
}

} // namespace
} // namespace marlow::e2e
