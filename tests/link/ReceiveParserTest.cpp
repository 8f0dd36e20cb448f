// The receive state machine: its transition table row by row, then whole
// streams with read time-outs, lost frames, bytes between frames and
// payloads too large for the buffer.
#include "LinkTestSupport.h"
#include "store/SharedRecordList.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace marlow {
namespace {

using test::Bytes;

struct Delivery {
    std::uint8_t type = 0;
    Bytes payload;
    bool operator==(const Delivery&) const = default;
};

// Keeps what the parser delivers instead of acting on it, and checks that
// the receive buffer is zero beyond every delivered payload.
class RecordingLink : public AnalyzerLink {
public:
    using AnalyzerLink::AnalyzerLink;
    void handleMessage(std::uint8_t type, const std::uint8_t* payload,
                       std::uint16_t length) override {
        deliveries.push_back({type, Bytes(payload, payload + length)});
        if (!std::all_of(payload + length, payload + MaxPayload,
                         [](std::uint8_t b) { return b == 0; }))
            ++dirtyTails;
    }
    std::vector<Delivery> deliveries;
    int dirtyTails = 0;
};

class ReceiveParserTest : public ::testing::Test {
protected:
    void play(const Bytes& stream, const std::map<std::size_t, int>& timeouts = {}) {
        test::play(link, stream, timeouts);
    }

    test::CountingEvents events;
    SharedRecordList scanList;
    RecordingLink link{events, scanList};
};

struct TransitionCase {
    ParserState from;
    int count;
    std::uint8_t byte;
    ParserState to;
    int returns;
    bool delivers;
};

constexpr ParserState Reset = ParserState::Reset;
constexpr ParserState Sync1 = ParserState::Sync1;
constexpr ParserState Sync2 = ParserState::Sync2;
constexpr ParserState Type = ParserState::Type;
constexpr ParserState TypeEscape = ParserState::TypeEscape;
constexpr ParserState Payload = ParserState::Payload;
constexpr ParserState Escape = ParserState::Escape;
constexpr ParserState Delivered = ParserState::Delivered;

TEST_F(ReceiveParserTest, FollowsTheTransitionTable) {
    const TransitionCase table[] = {
        {Reset, 0, 0x00, Sync1, 1, false},
        {Reset, 1, 0x11, Sync1, 1, false}, // input ignored
        {Sync1, 0, 0x11, Reset, 0, false},
        {Sync1, 1, 0x11, Sync2, 1, false},
        {Sync1, 1, 0x12, Reset, 0, false},
        {Sync1, 1, 0x00, Reset, 0, false},
        {Sync2, 0, 0x12, Reset, 0, false},
        {Sync2, 1, 0x12, Type, 1, false},
        {Sync2, 1, 0x11, Reset, 0, false},
        {Type, 0, 0x05, Reset, 0, false},
        {Type, 2, 0x05, Reset, 0, false},
        {Type, 1, 0x11, TypeEscape, 1, false},
        {Type, 1, 0x05, Payload, 1, false},
        {TypeEscape, 0, 0x14, Reset, 0, false},
        {TypeEscape, 1, 0x99, Payload, 1, false},
        {Payload, 0, 0x42, Reset, 0, false},
        {Payload, 1, 0x11, Escape, 1, false},
        {Payload, 1, 0x42, Payload, 1, false},
        {Payload, 1, 0x13, Payload, 1, false},
        {Escape, 0, 0x13, Reset, 1, false}, // the one reset that asks for a byte
        {Escape, 1, 0x13, Delivered, 0, true},
        {Escape, 1, 0x14, Payload, 1, false},
        {Escape, 1, 0x12, Reset, 0, false},
        {Escape, 1, 0x11, Reset, 0, false},
        {Delivered, 1, 0x11, Reset, 0, false},
        {Delivered, 0, 0x00, Reset, 0, false},
    };
    for (const TransitionCase& c : table) {
        SCOPED_TRACE(::testing::Message()
                     << "from " << static_cast<int>(c.from) << " count " << c.count << " byte 0x"
                     << std::hex << static_cast<int>(c.byte));
        link.deliveries.clear();
        link.setParserState(c.from);
        const std::uint8_t bytes[2] = {c.byte, c.byte};
        EXPECT_EQ(link.parse(bytes, c.count), c.returns);
        EXPECT_EQ(link.parserState(), c.to);
        EXPECT_EQ(link.deliveries.size(), c.delivers ? 1u : 0u);
    }
}

TEST_F(ReceiveParserTest, DeliversFramesWithTheirTypeAndUnescapedPayload) {
    Bytes stream;
    for (const Bytes& part :
         {test::frameOf(0x05), test::frameOf(0x0F, Bytes{0x11}),
          test::frameOf(0x11, Bytes{0x11, 0x11, 0x13, 0x14}), test::frameOf(0x10, Bytes{0x0B})})
        stream.insert(stream.end(), part.begin(), part.end());
    play(stream);
    EXPECT_EQ(link.deliveries,
              (std::vector<Delivery>{
                  {0x05, {}}, {0x0F, {0x11}}, {0x11, {0x11, 0x11, 0x13, 0x14}}, {0x10, {0x0B}}}));
    EXPECT_EQ(link.dirtyTails, 0);
}

TEST_F(ReceiveParserTest, SkipsTheByteAfterATypeOf0x11WhateverItIs) {
    play({0x11, 0x12, 0x11, 0x77, 0x01, 0x02, 0x11, 0x13});
    EXPECT_EQ(link.deliveries, (std::vector<Delivery>{{0x11, {0x01, 0x02}}}));
}

TEST_F(ReceiveParserTest, ClearsThePayloadBufferBeforeEachFrame) {
    Bytes stream = test::frameOf(0x01, Bytes(300, 0x5A));
    const Bytes empty = test::frameOf(0x01);
    stream.insert(stream.end(), empty.begin(), empty.end());
    play(stream);
    ASSERT_EQ(link.deliveries.size(), 2u);
    EXPECT_TRUE(link.deliveries[1].payload.empty());
    EXPECT_EQ(link.dirtyTails, 0);
}

struct LostFrameCase {
    const char* name;
    Bytes stream;
    std::vector<Delivery> expected;
};

TEST_F(ReceiveParserTest, LosesTheFramesThatTheTableLoses) {
    const Bytes good = test::frameOf(0x04, Bytes{0x06});
    auto then = [&](Bytes head) {
        head.insert(head.end(), good.begin(), good.end());
        return head;
    };
    const LostFrameCase cases[] = {
        {"start inside a frame loses both frames",
         then({0x11, 0x12, 0x03, 0x07, 0x11, 0x12, 0x04, 0x05, 0x11, 0x13}),
         {{0x04, {0x06}}}},
        {"stray lead before a frame loses it",
         then({0x11, 0x11, 0x12, 0x04, 0x05, 0x11, 0x13}),
         {{0x04, {0x06}}}},
        {"bad escape pair drops the frame",
         then({0x11, 0x12, 0x04, 0x05, 0x11, 0x00, 0x11, 0x13}),
         {{0x04, {0x06}}}},
        {"wrong second start byte", then({0x11, 0x13, 0x04, 0x05, 0x11, 0x13}), {{0x04, {0x06}}}},
        {"two zeros between frames change nothing",
         then(then({0x00, 0x00})),
         {{0x04, {0x06}}, {0x04, {0x06}}}},
        {"garbage between frames", then(then({0x12, 0x13, 0x14, 0xFF, 0x11})), {{0x04, {0x06}}}},
    };
    for (const LostFrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        link.deliveries.clear();
        play(c.stream);
        EXPECT_EQ(link.deliveries, c.expected);
    }
}

TEST_F(ReceiveParserTest, DropsAFrameWhoseLastByteComesAfterATimeOut) {
    Bytes stream = test::frameOf(0x04, Bytes{0x06});
    const Bytes next = test::frameOf(0x10, Bytes{0x0B});
    stream.insert(stream.end(), next.begin(), next.end());
    // Time-out between the end lead and 0x13 of the first frame: the 0x13 is
    // swallowed by the reset, and the next frame still arrives.
    play(stream, {{5, 1}});
    EXPECT_EQ(link.deliveries, (std::vector<Delivery>{{0x10, {0x0B}}}));
}

// Random frames, with random zeros and time-outs between them and now and
// then a time-out inside one. A frame with a time-out after its first byte
// and before its last is lost; every other frame arrives, in order.
TEST_F(ReceiveParserTest, SurvivesRandomTimeOutsAndGapsBetweenFrames) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 40; ++round) {
        Bytes stream;
        std::map<std::size_t, int> timeouts;
        std::vector<Delivery> expected;
        link.deliveries.clear();
        for (int i = 0; i < 30; ++i) {
            stream.insert(stream.end(), random() % 4, 0x00);
            timeouts[stream.size()] += static_cast<int>(random() % 3);
            Delivery message{static_cast<std::uint8_t>(random() % 256), {}};
            message.payload.resize(random() % 40);
            for (std::uint8_t& b : message.payload)
                b = random() % 4 == 0 ? 0x11 : static_cast<std::uint8_t>(random());
            const Bytes framed = test::frameOf(message.type, message.payload);
            const std::size_t start = stream.size();
            stream.insert(stream.end(), framed.begin(), framed.end());
            if (random() % 5 == 0)
                timeouts[start + 1 + random() % (framed.size() - 1)] += 1;
            else
                expected.push_back(message);
        }
        play(stream, timeouts);
        ASSERT_EQ(link.deliveries, expected) << "round " << round;
    }
    EXPECT_EQ(link.dirtyTails, 0);
}

TEST_F(ReceiveParserTest, DeliversAPayloadThatFillsTheBufferExactly) {
    Bytes payload(FramedLink::MaxPayload, 0x33);
    payload.back() = 0x11; // arrives as the escape pair
    play(test::frameOf(0x04, payload));
    ASSERT_EQ(link.deliveries.size(), 1u);
    EXPECT_EQ(link.deliveries[0].payload, payload);
}

TEST_F(ReceiveParserTest, DropsAnOversizePayloadAndFindsTheNextFrame) {
    const Bytes next = test::frameOf(0x10, Bytes{0x0B});
    for (std::uint8_t last : {std::uint8_t{0x33}, std::uint8_t{0x11}}) {
        SCOPED_TRACE(static_cast<int>(last));
        link.deliveries.clear();
        Bytes payload(FramedLink::MaxPayload + 1, 0x11);
        payload.back() = last;
        Bytes stream = test::frameOf(0x04, payload);
        stream.insert(stream.end(), next.begin(), next.end());
        play(stream);
        EXPECT_EQ(link.deliveries, (std::vector<Delivery>{{0x10, {0x0B}}}));
    }
    EXPECT_EQ(link.dirtyTails, 0);
}

} // namespace
} // namespace marlow
