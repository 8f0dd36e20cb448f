// The frame encoder, everything the link sends, and the handling of the
// board's messages: the handshake chain, the texts, the channel and scan
// state, the low-battery warning and which messages notify.
#include "link/Messages.h"

#include "LinkTestSupport.h"

#include <cstring>
#include <string>
#include <tuple>

namespace marlow {
namespace {

using test::Bytes;
using test::textBytes;

const Bytes SerialRequestFrame = {0x11, 0x12, 0x02, 0x11, 0x13};
const Bytes ModeFrame = {0x11, 0x12, 0x08, 0x01, 0x11, 0x13};

TEST(FrameCodec, EncodesTheDocumentedExamplesAndRefusesFramesOver128Bytes) {
    // Type, payload, frame.
    const std::tuple<std::uint8_t, Bytes, Bytes> cases[] = {
        {0x03, {0x07}, {0x11, 0x12, 0x03, 0x07, 0x11, 0x13}},
        {0x01, {}, {0x11, 0x12, 0x01, 0x11, 0x13}},
        {0x11, {0x11}, {0x11, 0x12, 0x11, 0x14, 0x11, 0x14, 0x11, 0x13}},
        {0x12, {0x12, 0x13, 0x14, 0x00}, {0x11, 0x12, 0x12, 0x12, 0x13, 0x14, 0x00, 0x11, 0x13}},
    };
    for (const auto& [type, payload, expected] : cases) {
        const EncodedFrame encoded = encodeFrame(type, payload);
        EXPECT_EQ(Bytes(encoded.view().begin(), encoded.view().end()), expected);
    }
    // 5 bytes of framing and type, 123 payload bytes: 128 in all.
    EXPECT_EQ(encodeFrame(0x03, Bytes(123, 0x20)).size, 128u);
    EXPECT_TRUE(encodeFrame(0x03, Bytes(124, 0x20)).empty());
    // Escapes count: 62 leads take 124 bytes.
    EXPECT_TRUE(encodeFrame(0x03, Bytes(62, 0x11)).empty());
}

class MessagesTest : public test::LinkTest {
protected:
    using Copy = void (AnalyzerLink::*)(char (&)[FramedLink::TextSize]) const;
    std::string copied(Copy copy) const {
        char text[FramedLink::TextSize];
        std::memset(text, 'x', sizeof text);
        (link.*copy)(text);
        return text;
    }
    std::string firmware() const { return copied(&AnalyzerLink::copyFirmwareText); }
    std::string serial() const { return copied(&AnalyzerLink::copySerialText); }
};

TEST_F(MessagesTest, SendsFramedRequestsAndCommandsAndAnUnframedKeepAlive) {
    link.attachSink(nullptr);
    EXPECT_EQ(link.requestFirmwareVersion(), 0) << "without a sink nothing is sent";
    EXPECT_EQ(link.keepAlive(), 0);
    link.attachSink(this);
    link.scanDone = true;
    EXPECT_EQ(link.requestFirmwareVersion(), 1);
    EXPECT_EQ(link.keepAlive(), 1);
    EXPECT_EQ(link.sendCommand(0x11), 1);
    EXPECT_FALSE(link.scanRequested) << "only command 7 requests a scan";
    EXPECT_EQ(link.sendCommand(7), 1);
    EXPECT_TRUE(link.scanRequested);
    EXPECT_TRUE(link.scanDone) << "sending a command does not clear scanDone";
    const Bytes big(200, 0x41);
    EXPECT_EQ(link.sendMessage(0x03, big.data(), 200), 0) << "an oversize message sends nothing";
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
TEST_F(MessagesTest, TextsAreStoredCutTo31AndEachAnsweredOnce) {
    // What the board sends, what is stored.
    const std::pair<Bytes, std::string> cases[] = {
        {textBytes("whole text without a zero"), "whole text without a zero"},
        {{'a', 'b', 0x00, 'c'}, "ab"},
        {{}, ""},
        {textBytes(std::string(40, 'v')), std::string(31, 'v')},
        {textBytes("short"), "short"}, // no remnant of the longer text
    };
    std::vector<Bytes> answers;
    for (const auto& [payload, stored] : cases) {
        handle(msg::FirmwareText, payload);
        handle(msg::SerialText, payload);
        EXPECT_EQ(firmware(), stored);
        EXPECT_EQ(serial(), stored);
        answers.insert(answers.end(), {SerialRequestFrame, ModeFrame});
        EXPECT_EQ(sends, answers);
    }
}

TEST_F(MessagesTest, ScanStateFollowsChannelReportAndCompleteMessages) {
    handle(msg::ScanChannel, {0xFF});
    EXPECT_EQ(link.scanChannel, 255);
    handle(msg::Channel);
    EXPECT_EQ(link.lastBoardChannel(), 0) << "an empty payload reads as zero";
    handle(msg::ScanComplete, {0x01, 0x02});
    EXPECT_TRUE(link.scanDone);
    report(-60, 1);
    EXPECT_FALSE(link.scanDone);
    handle(msg::ScanComplete);
    EXPECT_TRUE(link.scanDone);
    // Even a report too short to use postpones the end of the scan.
    handle(msg::ApReport, {0x00});
    EXPECT_FALSE(link.scanDone);
}

TEST_F(MessagesTest, UnknownTypesChangeNothingAndOnlyTheListedTypesNotify) {
    report(-60, 1, "lab", 6, 5);
    handle(3, {0x07});
    EXPECT_TRUE(sends.empty());
    EXPECT_TRUE(records().empty());
    EXPECT_EQ(firmware(), "");
    for (int type = 0; type < 256; ++type) {
        const int before = draws;
        handle(static_cast<std::uint8_t>(type), {0x01});
        const bool listed = type == 1 || type == 2 || type == 4 || type == 13 || type == 15 ||
                            type == 16 || type == 17;
        EXPECT_EQ(draws - before, listed ? 1 : 0) << "type " << type;
    }
}

TEST_F(MessagesTest, WarnsOfALowBatteryOnceAndBeforeTheReport) {
    report(-60, 1, "lab", 6, msg::ApReportLowBattery);
    report(-62, 1, "lab", 6, msg::ApReportLowBattery);
    report(-64, 2);
    EXPECT_EQ(warnings, 1);
    EXPECT_EQ(recordsAtWarning, 0u);
    const auto list = records();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].sampleCount, 2);
}

} // namespace
} // namespace marlow
