// Frames of the board protocol. The encoder: its bytes and its limit. The
// receive state machine: the transitions that whole frames do not take,
// encoded frames taken back across read time-outs and bytes between frames,
// payloads too large for the buffer; and feeding it spans as the board does.
#include "Frames.h"
#include "protocol/FrameCodec.h"
#include "protocol/FrameParser.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <tuple>

namespace marlow {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Delivery = std::pair<std::uint8_t, Bytes>;
using Deliveries = std::vector<Delivery>;
// What the reader thread reads: bytes, and read time-outs (a count of 0).
using Reads = std::vector<int>;
constexpr int TimeOut = -1;

using test::frameBytes;

Reads concat(const Bytes& head, const Bytes& tail) {
    Reads all(head.begin(), head.end());
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
}

// Keeps what the parser delivers, and counts the deliveries after which the
// receive buffer is not zero beyond the payload.
struct Receiver {
    void operator()(std::uint8_t type, std::span<const std::uint8_t> payload) {
        deliveries.push_back({type, Bytes(payload.begin(), payload.end())});
        dirtyTails +=
            !std::all_of(payload.data() + payload.size(), payload.data() + frame::MaxPayload,
                         [](std::uint8_t b) { return b == 0; });
    }
    Deliveries deliveries;
    int dirtyTails = 0;
};

class FrameParserTest : public ::testing::Test {
protected:
    // Plays the reader thread: calls parse in a loop and serves each read it
    // asks for from the stream, in order; the play ends when parse asks for
    // a read after the last one.
    Deliveries play(const Reads& stream) {
        receiver.deliveries.clear();
        parser.setState(ParserState::Reset);
        std::uint8_t byte = 0;
        int count = 0;
        for (std::size_t next = 0;;) {
            // When parse asks for no byte, the same buffer and count go again.
            if (parser.parse(&byte, count, receiver) == 0)
                continue;
            if (next == stream.size())
                return receiver.deliveries;
            count = stream[next] == TimeOut ? 0 : 1;
            byte = static_cast<std::uint8_t>(stream[next++]);
        }
    }

    FrameParser parser;
    Receiver receiver;
};

TEST(FrameCodec, EscapesEveryLeadAndRefusesHandheldFramesOver128Bytes) {
    // Every 0x11 is escaped, the type's included.
    const Bytes escaped{0x11, 0x12, 0x11, 0x14, 0x11, 0x14, 0x13, 0x11, 0x13};
    EXPECT_EQ(frameBytes(0x11, Bytes{0x11, 0x13}), escaped);
    const EncodedFrame encoded = encodeFrame(0x11, Bytes{0x11, 0x13});
    EXPECT_EQ(Bytes(encoded.view().begin(), encoded.view().end()), escaped);
    EXPECT_EQ(frameBytes(0x03), (Bytes{0x11, 0x12, 0x03, 0x11, 0x13}));

    // 5 bytes of framing and type and 123 payload bytes are 128 in all; the
    // escapes count.
    EXPECT_EQ(encodeFrame(0x03, Bytes(123, 0x20)).size, 128u);
    EXPECT_TRUE(encodeFrame(0x03, Bytes(124, 0x20)).empty());
    EXPECT_TRUE(encodeFrame(0x03, Bytes(62, 0x11)).empty());
    EXPECT_EQ(frameBytes(0x03, Bytes(5000, 0x11)).size(), 10005u);
}

// Off the whole-frame path every reset but one returns 0, so Reset, which
// ignores its input, swallows the byte that broke the frame: a stray lead
// before a frame start loses that frame, a start inside a frame loses both.
TEST_F(FrameParserTest, FollowsTheTransitionTableOffTheWholeFramePath) {
    using enum ParserState;
    // From, count, byte, to, return value; nothing is delivered.
    const std::tuple<ParserState, int, std::uint8_t, ParserState, int> table[] = {
        {Reset, 1, 0x11, Sync1, 1},        {Sync1, 0, 0x11, Reset, 0},
        {Sync1, 1, 0x12, Reset, 0},        {Sync2, 0, 0x12, Reset, 0},
        {Sync2, 1, 0x11, Reset, 0},        {Sync2, 1, 0x13, Reset, 0},
        {Type, 0, 0x05, Reset, 0},         {Type, 2, 0x05, Reset, 0},
        {Type, 1, 0x11, TypeEscape, 1},    {TypeEscape, 0, 0x14, Reset, 0},
        {TypeEscape, 1, 0x99, Payload, 1}, {Payload, 0, 0x42, Reset, 0},
        {Escape, 0, 0x13, Reset, 1}, // a time-out before the end byte: Reset swallows it
        {Escape, 1, 0x12, Reset, 0},       {Escape, 1, 0x00, Reset, 0},
        {Delivered, 1, 0x11, Reset, 0},
    };
    for (const auto& [from, count, byte, to, returns] : table) {
        SCOPED_TRACE(::testing::Message() << "from " << static_cast<int>(from) << " count " << count
                                          << " byte " << static_cast<int>(byte));
        parser.setState(from);
        const std::uint8_t bytes[2] = {byte, byte};
        EXPECT_EQ(parser.parse(bytes, count, receiver), returns);
        EXPECT_EQ(parser.state(), to);
    }
    EXPECT_TRUE(receiver.deliveries.empty());
}

// Random frames whose types and payloads are rich in the framing bytes, with
// random zeros and time-outs between them and now and then a time-out inside
// one. A frame with a time-out after its first byte and before its last is
// lost; every other frame arrives as it was encoded, in order.
TEST_F(FrameParserTest, TakesBackEncodedFramesAcrossTimeOutsAndGaps) {
    std::mt19937 random(20240611);
    auto next = [&] {
        return random() % 3 == 0 ? static_cast<std::uint8_t>(0x11 + random() % 4)
                                 : static_cast<std::uint8_t>(random());
    };
    for (int round = 0; round < 40; ++round) {
        Reads stream;
        Deliveries expected;
        for (int i = 0; i < 30; ++i) {
            stream.insert(stream.end(), random() % 4, 0x00);
            stream.insert(stream.end(), random() % 3, TimeOut);
            Delivery message{next(), Bytes(random() % 80)};
            std::generate(message.second.begin(), message.second.end(), next);
            const Bytes framed = frameBytes(message.first, message.second);
            const std::size_t start = stream.size();
            stream.insert(stream.end(), framed.begin(), framed.end());
            if (random() % 5 == 0)
                stream.insert(stream.begin() + start + 1 + random() % (framed.size() - 1), TimeOut);
            else
                expected.push_back(message);
        }
        ASSERT_EQ(play(stream), expected) << "round " << round;
    }
    EXPECT_EQ(receiver.dirtyTails, 0);
}

TEST_F(FrameParserTest, DeliversAFullBufferAndDropsAnOversizePayload) {
    Bytes full(frame::MaxPayload, 0x33);
    full.back() = 0x11; // arrives as the escape pair
    EXPECT_EQ(play(concat(frameBytes(0x04, full), {})), (Deliveries{{0x04, full}}));
    const Bytes next = frameBytes(0x10, Bytes{0x0B});
    for (int last : {0x33, 0x11}) {
        Bytes payload(frame::MaxPayload + 1, 0x11);
        payload.back() = static_cast<std::uint8_t>(last);
        EXPECT_EQ(play(concat(frameBytes(0x04, payload), next)), (Deliveries{{0x10, {0x0B}}}))
            << "last byte " << last;
    }
    EXPECT_EQ(receiver.dirtyTails, 0);
}

// Feeding spans runs the same machine the reader runs: the same streams give
// the same frames, however the bytes are split, and the first byte after a
// reset is looked at rather than swallowed.
TEST_F(FrameParserTest, FeedingSpansDeliversWhatTheReaderWould) {
    std::mt19937 random(99);
    for (int round = 0; round < 20; ++round) {
        Bytes stream;
        for (int i = 0; i < 20; ++i) {
            stream.insert(stream.end(), random() % 3, static_cast<std::uint8_t>(random() % 0x20));
            appendFrame(stream, static_cast<std::uint8_t>(random() % 20),
                        Bytes(random() % 9, 0x11));
        }
        const Deliveries expected = play(concat(stream, {}));
        FrameParser fed;
        Receiver got;
        for (std::size_t at = 0; at < stream.size();) {
            const std::size_t piece = std::min<std::size_t>(random() % 7, stream.size() - at);
            fed.feed(std::span(stream).subspan(at, piece), got);
            at += piece;
        }
        ASSERT_EQ(got.deliveries, expected) << "round " << round;
        EXPECT_EQ(fed.state(), parser.state()) << "round " << round;
    }
    // After setState the next feed starts as the reader does.
    FrameParser fed;
    Receiver got;
    fed.feed(Bytes{0x11, 0x12, 0x04}, got);
    fed.setState(ParserState::Reset);
    fed.feed(frameBytes(0x05, {}), got);
    EXPECT_EQ(got.deliveries, (Deliveries{{0x05, {}}}));
}

} // namespace
} // namespace marlow
