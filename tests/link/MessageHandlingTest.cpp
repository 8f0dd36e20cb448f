// Handling of the board's messages: the start-up handshake, the texts, the
// channel and scan state, the low-battery warning and which messages notify.
#include "LinkTestSupport.h"
#include "link/Messages.h"
#include "store/SharedRecordList.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace marlow {
namespace {

using test::Bytes;

const Bytes SerialRequestFrame = {0x11, 0x12, 0x02, 0x11, 0x13};
const Bytes ModeFrame = {0x11, 0x12, 0x08, 0x01, 0x11, 0x13};

class MessageHandlingTest : public ::testing::Test {
protected:
    MessageHandlingTest() { link.attachSink(&sink); }

    void handle(std::uint8_t type, const Bytes& payload = {}) {
        link.handleMessage(type, payload.data(), static_cast<std::uint16_t>(payload.size()));
    }
    std::string firmware() const {
        char text[FramedLink::TextSize];
        std::memset(text, 'x', sizeof text);
        link.copyFirmwareText(text);
        return text;
    }
    std::string serial() const {
        char text[FramedLink::TextSize];
        link.copySerialText(text);
        return text;
    }
    std::size_t records() const {
        return scanList.withLock([](const RecordList& list) { return list.size(); });
    }

    test::ByteCollector sink;
    test::CountingEvents events;
    SharedRecordList scanList;
    AnalyzerLink link{events, scanList};
};

TEST_F(MessageHandlingTest, FirmwareTextIsStoredAndAsksForTheSerialNumberOnce) {
    handle(msg::FirmwareText, {'1', '.', '0', '7', 0x00});
    EXPECT_EQ(firmware(), "1.07");
    EXPECT_EQ(sink.sends, std::vector<Bytes>{SerialRequestFrame});
    EXPECT_EQ(events.draws, 1);
}

TEST_F(MessageHandlingTest, SerialTextIsStoredAndSendsMode1Once) {
    handle(msg::SerialText, test::textBytes("TB-000417"));
    EXPECT_EQ(serial(), "TB-000417");
    EXPECT_EQ(sink.sends, std::vector<Bytes>{ModeFrame});
    EXPECT_EQ(events.draws, 1);
}

TEST_F(MessageHandlingTest, ABoardThatAnswersType1TwiceGetsTwoSerialRequests) {
    Bytes stream;
    for (const Bytes& part :
         {test::frameOf(1, test::textBytes("1.07")), test::frameOf(1, test::textBytes("1.08")),
          test::frameOf(2, test::textBytes("SN1")), test::frameOf(2, test::textBytes("SN2"))})
        stream.insert(stream.end(), part.begin(), part.end());
    test::play(link, stream);
    EXPECT_EQ(sink.sends,
              (std::vector<Bytes>{SerialRequestFrame, SerialRequestFrame, ModeFrame, ModeFrame}));
    EXPECT_EQ(firmware(), "1.08");
    EXPECT_EQ(serial(), "SN2");
}

TEST_F(MessageHandlingTest, TextsStopAtZeroAndAreCutTo31Characters) {
    struct Case {
        Bytes payload;
        std::string stored;
    } const cases[] = {
        {test::textBytes("whole text without a zero"), "whole text without a zero"},
        {{'a', 'b', 0x00, 'c'}, "ab"},
        {{}, ""},
        {test::textBytes(std::string(40, 'v')), std::string(31, 'v')},
        {test::textBytes("short"), "short"}, // no remnant of the longer text
    };
    for (const Case& c : cases) {
        handle(msg::FirmwareText, c.payload);
        handle(msg::SerialText, c.payload);
        EXPECT_EQ(firmware(), c.stored);
        EXPECT_EQ(serial(), c.stored);
    }
}

TEST_F(MessageHandlingTest, ChannelTakesItsByteAndAnEmptyPayloadReadsAsZero) {
    EXPECT_EQ(link.lastBoardChannel(), 1);
    handle(msg::Channel, {0x06});
    EXPECT_EQ(link.lastBoardChannel(), 6);
    handle(msg::Channel);
    EXPECT_EQ(link.lastBoardChannel(), 0);
}

TEST_F(MessageHandlingTest, ScanChannelIsTheByteZeroExtended) {
    handle(msg::ScanChannel, {0x0B});
    EXPECT_EQ(link.scanChannel, 11);
    handle(msg::ScanChannel, {0xFF});
    EXPECT_EQ(link.scanChannel, 255);
}

TEST_F(MessageHandlingTest, ScanCompleteSetsScanDoneAndAReportClearsIt) {
    handle(msg::ScanComplete, {0x01, 0x02});
    EXPECT_TRUE(link.scanDone);
    handle(msg::ApReport, test::beaconReport(-60, 1, "lab", 6));
    EXPECT_FALSE(link.scanDone);
    handle(msg::ScanComplete);
    EXPECT_TRUE(link.scanDone);
    // Even a report too short to use postpones the end of the scan.
    handle(msg::ApReport, {0x00});
    EXPECT_FALSE(link.scanDone);
}

TEST_F(MessageHandlingTest, NotifiesForTheListedTypesOnly) {
    for (int type = 0; type < 256; ++type) {
        const int before = events.draws;
        handle(static_cast<std::uint8_t>(type), {0x01});
        const bool listed = type == 1 || type == 2 || type == 4 || type == 13 || type == 15 ||
                            type == 16 || type == 17;
        EXPECT_EQ(events.draws - before, listed ? 1 : 0) << "type " << type;
    }
}

TEST_F(MessageHandlingTest, AnUnknownTypeChangesNothing) {
    handle(5, test::beaconReport(-60, 1, "lab", 6));
    handle(3, {0x07});
    EXPECT_EQ(events.draws, 0);
    EXPECT_TRUE(sink.sends.empty());
    EXPECT_EQ(records(), 0u);
    EXPECT_FALSE(link.scanDone);
    EXPECT_EQ(link.scanChannel, 0);
    EXPECT_EQ(firmware(), "");
}

TEST_F(MessageHandlingTest, WarnsOfALowBatteryOnceAndBeforeTheReport) {
    std::size_t recordsAtWarning = 99;
    events.onWarning = [&] { recordsAtWarning = records(); };
    handle(msg::ApReportLowBattery, test::beaconReport(-60, 1, "lab", 6));
    handle(msg::ApReportLowBattery, test::beaconReport(-62, 1, "lab", 6));
    handle(msg::ApReport, test::beaconReport(-64, 2, "lab", 6));
    EXPECT_EQ(events.warnings, 1);
    EXPECT_EQ(recordsAtWarning, 0u);
    EXPECT_EQ(events.draws, 3);
    scanList.withLock([](const RecordList& list) {
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list.begin()->sampleCount, 2);
        EXPECT_EQ(list.begin()->rssi, -122);
    });
}

TEST_F(MessageHandlingTest, ReportsThroughTheParserFillTheScanList) {
    Bytes stream;
    for (std::uint8_t ap = 1; ap <= 3; ++ap) {
        const Bytes framed = test::frameOf(msg::ApReport, test::beaconReport(-50, ap, "net", 11));
        stream.insert(stream.end(), framed.begin(), framed.end());
    }
    const Bytes done = test::frameOf(msg::ScanComplete);
    stream.insert(stream.end(), done.begin(), done.end());
    test::play(link, stream);
    EXPECT_EQ(records(), 3u);
    EXPECT_TRUE(link.scanDone);
    EXPECT_EQ(events.draws, 4);
}

} // namespace
} // namespace marlow
