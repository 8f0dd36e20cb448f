// The frame encoder and everything the link sends: requests, commands, the
// mode, the keep-alive, and the refusal of frames that do not fit.
#include "link/FrameCodec.h"

#include "LinkTestSupport.h"
#include "store/SharedRecordList.h"

#include <gtest/gtest.h>

namespace marlow {
namespace {

using test::Bytes;

Bytes encoded(std::uint8_t type, const Bytes& payload) {
    const EncodedFrame frameOut = encodeFrame(type, payload);
    return Bytes(frameOut.view().begin(), frameOut.view().end());
}

struct EncoderCase {
    const char* name;
    std::uint8_t type;
    Bytes payload;
    Bytes expected;
};

TEST(FrameCodec, EncodesTheDocumentedExamples) {
    const EncoderCase cases[] = {
        {"command 7", 0x03, {0x07}, {0x11, 0x12, 0x03, 0x07, 0x11, 0x13}},
        {"no payload", 0x01, {}, {0x11, 0x12, 0x01, 0x11, 0x13}},
        {"escaped type and payload",
         0x11,
         {0x11},
         {0x11, 0x12, 0x11, 0x14, 0x11, 0x14, 0x11, 0x13}},
        {"plain control bytes",
         0x12,
         {0x12, 0x13, 0x14, 0x00},
         {0x11, 0x12, 0x12, 0x12, 0x13, 0x14, 0x00, 0x11, 0x13}},
        {"two leads", 0x08, {0x11, 0x11}, {0x11, 0x12, 0x08, 0x11, 0x14, 0x11, 0x14, 0x11, 0x13}},
    };
    for (const EncoderCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(encoded(c.type, c.payload), c.expected);
        // The board-side encoder frames exactly the same way.
        EXPECT_EQ(test::frameOf(c.type, c.payload), c.expected);
    }
}

TEST(FrameCodec, AcceptsAFrameOfExactly128BytesAndRefusesOneMore) {
    // 5 bytes of framing and type, 123 payload bytes: 128 in all.
    EXPECT_EQ(encodeFrame(0x03, Bytes(123, 0x20)).size, 128u);
    EXPECT_TRUE(encodeFrame(0x03, Bytes(124, 0x20)).empty());
    // Escapes count: 61 leads take 122 bytes.
    EXPECT_EQ(encodeFrame(0x03, Bytes(61, 0x11)).size, 127u);
    EXPECT_TRUE(encodeFrame(0x03, Bytes(62, 0x11)).empty());
    // The escape after a type of 0x11 counts as well.
    EXPECT_TRUE(encodeFrame(0x11, Bytes(123, 0x20)).empty());
    EXPECT_TRUE(encodeFrame(0x03, Bytes(5000, 0x20)).empty());
}

class SendingTest : public ::testing::Test {
protected:
    SendingTest() { link.attachSink(&sink); }

    test::ByteCollector sink;
    test::CountingEvents events;
    SharedRecordList scanList;
    AnalyzerLink link{events, scanList};
};

TEST_F(SendingTest, RequestsAreFramesOfType1And2WithoutPayload) {
    EXPECT_EQ(link.requestFirmwareVersion(), 1);
    EXPECT_EQ(link.requestSerialNumber(), 1);
    EXPECT_EQ(sink.sends,
              (std::vector<Bytes>{{0x11, 0x12, 0x01, 0x11, 0x13}, {0x11, 0x12, 0x02, 0x11, 0x13}}));
}

TEST_F(SendingTest, KeepAliveIsTwoZerosUnframed) {
    EXPECT_EQ(link.keepAlive(), 1);
    EXPECT_EQ(sink.sends, std::vector<Bytes>{Bytes({0x00, 0x00})});
}

TEST_F(SendingTest, StartScanMarksTheScanRequestedAndSendsCommand7) {
    link.scanDone = true;
    EXPECT_EQ(link.sendCommand(7), 1);
    EXPECT_TRUE(link.scanRequested);
    EXPECT_TRUE(link.scanDone) << "sending a command does not clear scanDone";
    EXPECT_EQ(sink.sends, std::vector<Bytes>{Bytes({0x11, 0x12, 0x03, 0x07, 0x11, 0x13})});
}

TEST_F(SendingTest, OtherCommandsDoNotRequestAScan) {
    link.sendCommand(0x11);
    EXPECT_FALSE(link.scanRequested);
    EXPECT_EQ(sink.sends, std::vector<Bytes>{Bytes({0x11, 0x12, 0x03, 0x11, 0x14, 0x11, 0x13})});
}

TEST_F(SendingTest, ClearingTheScanFlagsClearsBoth) {
    link.sendCommand(7);
    link.scanDone = true;
    link.clearScanFlags();
    EXPECT_FALSE(link.scanRequested);
    EXPECT_FALSE(link.scanDone);
}

TEST_F(SendingTest, ModeIsType8WithItsValue) {
    link.sendMode(1);
    EXPECT_EQ(sink.sends, std::vector<Bytes>{Bytes({0x11, 0x12, 0x08, 0x01, 0x11, 0x13})});
}

TEST_F(SendingTest, AnOversizeMessageSendsNothing) {
    const Bytes big(200, 0x41);
    EXPECT_EQ(link.sendMessage(0x03, big.data(), static_cast<unsigned>(big.size())), 0);
    EXPECT_TRUE(sink.sends.empty());
}

TEST(FramedLinkWithoutSink, SendsGoNowhereAndReportNothingSent) {
    test::CountingEvents events;
    SharedRecordList scanList;
    AnalyzerLink link(events, scanList);
    EXPECT_EQ(link.requestFirmwareVersion(), 0);
    EXPECT_EQ(link.keepAlive(), 0);
}

} // namespace
} // namespace marlow
