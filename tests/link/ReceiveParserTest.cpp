// The receive state machine: its transition table row by row, then whole
// streams with read time-outs, lost frames, bytes between frames and
// payloads too large for the buffer.
#include "LinkTestSupport.h"

#include <algorithm>
#include <random>
#include <tuple>

namespace marlow {
namespace {

using test::Bytes;

using Delivery = std::pair<std::uint8_t, Bytes>;
using Deliveries = std::vector<Delivery>;

// Keeps what the parser delivers instead of acting on it, and counts the
// deliveries after which the receive buffer is not zero beyond the payload.
class RecordingLink : public AnalyzerLink {
public:
    using AnalyzerLink::AnalyzerLink;
    void handleMessage(std::uint8_t type, const std::uint8_t* payload,
                       std::uint16_t length) override {
        deliveries.push_back({type, Bytes(payload, payload + length)});
        dirtyTails += !std::all_of(payload + length, payload + MaxPayload,
                                   [](std::uint8_t b) { return b == 0; });
    }
    Deliveries deliveries;
    int dirtyTails = 0;
};

class ReceiveParserTest : public test::LinkTest {
protected:
    Deliveries play(const Bytes& stream, const std::map<std::size_t, int>& timeouts = {}) {
        parser.deliveries.clear();
        test::play(parser, stream, timeouts);
        return parser.deliveries;
    }
    RecordingLink parser{*this, scanList};
};

TEST_F(ReceiveParserTest, FollowsTheTransitionTable) {
    using enum ParserState;
    // From, count, byte, to, return value, whether a message is delivered.
    const std::tuple<ParserState, int, std::uint8_t, ParserState, int, bool> table[] = {
        {Reset, 1, 0x11, Sync1, 1, false}, // input ignored
        {Sync1, 0, 0x11, Reset, 0, false},
        {Sync1, 1, 0x11, Sync2, 1, false},
        {Sync1, 1, 0x12, Reset, 0, false},
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
        {Payload, 1, 0x13, Payload, 1, false},
        {Escape, 0, 0x13, Reset, 1, false}, // the one reset that asks for a byte
        {Escape, 1, 0x13, Delivered, 0, true},
        {Escape, 1, 0x14, Payload, 1, false},
        {Escape, 1, 0x12, Reset, 0, false},
        {Delivered, 1, 0x11, Reset, 0, false},
    };
    for (const auto& [from, count, byte, to, returns, delivers] : table) {
        SCOPED_TRACE(::testing::Message() << "from " << static_cast<int>(from) << " count " << count
                                          << " byte " << static_cast<int>(byte));
        parser.deliveries.clear();
        parser.setParserState(from);
        const std::uint8_t bytes[2] = {byte, byte};
        EXPECT_EQ(parser.parse(bytes, count), returns);
        EXPECT_EQ(parser.parserState(), to);
        EXPECT_EQ(parser.deliveries.size(), delivers ? 1u : 0u);
    }
}

TEST_F(ReceiveParserTest, LosesTheFramesThatTheTableLoses) {
    const Bytes good = test::frameOf(0x04, Bytes{0x06});
    const Delivery goodOne{0x04, {0x06}};
    // Bytes before a good frame, and how many good frames then arrive.
    const std::pair<Bytes, std::size_t> cases[] = {
        // A start inside a frame loses both frames.
        {{0x11, 0x12, 0x03, 0x07, 0x11, 0x12, 0x04, 0x05, 0x11, 0x13}, 1},
        // A stray lead before a frame loses it.
        {{0x11, 0x11, 0x12, 0x04, 0x05, 0x11, 0x13}, 1},
        // A bad escape pair drops the frame.
        {{0x11, 0x12, 0x04, 0x05, 0x11, 0x00, 0x11, 0x13}, 1},
        // A wrong second start byte.
        {{0x11, 0x13, 0x04, 0x05, 0x11, 0x13}, 1},
        // Garbage that ends in a lead loses the next frame.
        {test::concat({{0x12, 0x13, 0x14, 0xFF, 0x11}, good}), 1},
    };
    for (const auto& [head, arriving] : cases)
        EXPECT_EQ(play(test::concat({head, good})), Deliveries(arriving, goodOne))
            << ::testing::PrintToString(head);
    // A time-out between the end lead and 0x13: the reset swallows the 0x13.
    EXPECT_EQ(play(test::concat({good, good}), {{5, 1}}), Deliveries{goodOne});
}

// Random frames, with random zeros and time-outs between them and now and
// then a time-out inside one. A frame with a time-out after its first byte
// and before its last is lost; every other frame arrives, in order.
TEST_F(ReceiveParserTest, SurvivesRandomTimeOutsAndGapsBetweenFrames) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 40; ++round) {
        Bytes stream;
        std::map<std::size_t, int> timeouts;
        Deliveries expected;
        for (int i = 0; i < 30; ++i) {
            stream.insert(stream.end(), random() % 4, 0x00);
            timeouts[stream.size()] += static_cast<int>(random() % 3);
            Delivery message{static_cast<std::uint8_t>(random() % 256), Bytes(random() % 40)};
            for (std::uint8_t& b : message.second)
                b = random() % 4 == 0 ? 0x11 : static_cast<std::uint8_t>(random());
            const Bytes framed = test::frameOf(message.first, message.second);
            const std::size_t start = stream.size();
            stream.insert(stream.end(), framed.begin(), framed.end());
            if (random() % 5 == 0)
                timeouts[start + 1 + random() % (framed.size() - 1)] += 1;
            else
                expected.push_back(message);
        }
        ASSERT_EQ(play(stream, timeouts), expected) << "round " << round;
    }
    EXPECT_EQ(parser.dirtyTails, 0);
}

TEST_F(ReceiveParserTest, DeliversAFullBufferAndDropsAnOversizePayload) {
    Bytes full(FramedLink::MaxPayload, 0x33);
    full.back() = 0x11; // arrives as the escape pair
    EXPECT_EQ(play(test::frameOf(0x04, full)), (Deliveries{{0x04, full}}));
    const Bytes next = test::frameOf(0x10, Bytes{0x0B});
    for (int last : {0x33, 0x11}) {
        Bytes payload(FramedLink::MaxPayload + 1, 0x11);
        payload.back() = static_cast<std::uint8_t>(last);
        EXPECT_EQ(play(test::concat({test::frameOf(0x04, payload), next})),
                  (Deliveries{{0x10, {0x0B}}}))
            << "last byte " << last;
    }
    EXPECT_EQ(parser.dirtyTails, 0);
}

} // namespace
} // namespace marlow
