// The board's framing: the encoder against the handheld's examples, and the
// decoder on what a handheld (or a noisy line) may send.
#include "boardsim/FrameCodec.h"

#include "Handheld.h"

#include <gtest/gtest.h>
#include <random>

namespace marlow::sim {
namespace {

using test::concat;
using test::frameOf;

TEST(BoardFrameEncoder, MatchesTheWireExamples) {
    EXPECT_EQ(encodeFrame(3, Bytes{0x07}), (Bytes{0x11, 0x12, 0x03, 0x07, 0x11, 0x13}));
    EXPECT_EQ(encodeFrame(1, {}), (Bytes{0x11, 0x12, 0x01, 0x11, 0x13}));
    EXPECT_EQ(encodeFrame(0x11, Bytes{0x11}),
              (Bytes{0x11, 0x12, 0x11, 0x14, 0x11, 0x14, 0x11, 0x13}));
    EXPECT_EQ(encodeFrame(0x13, Bytes{0x12, 0x13, 0x14}),
              (Bytes{0x11, 0x12, 0x13, 0x12, 0x13, 0x14, 0x11, 0x13}));
}

TEST(BoardFrameEncoder, EveryTypeAndPayloadComesBackThroughTheHandheldParser) {
    std::mt19937 random(5);
    for (int type = 0; type < 256; ++type) {
        Bytes payload(random() % 40);
        for (std::uint8_t& byte : payload)
            byte = static_cast<std::uint8_t>(random() % 4 == 0 ? 0x11 : random());
        const auto messages =
            test::messagesIn(encodeFrame(static_cast<std::uint8_t>(type), payload));
        ASSERT_EQ(messages.size(), 1u) << "type " << type;
        EXPECT_EQ(messages[0], (test::Message{static_cast<std::uint8_t>(type), payload}));
    }
}

struct DecodeCase {
    const char* name;
    Bytes stream;
    std::vector<Frame> frames;
};

TEST(BoardFrameDecoder, SkipsNoiseAndDropsMalformedFrames) {
    const Bytes scan = frameOf(3, {0x07});
    const Frame scanFrame{3, {0x07}};
    const Bytes longPayload(MaxPayload + 1, 0x42);
    const std::vector<DecodeCase> cases = {
        {"empty payload", frameOf(1), {{1, {}}}},
        {"escaped type and payload",
         frameOf(0x11, {0x11, 0x11, 0x00}),
         {{0x11, {0x11, 0x11, 0x00}}}},
        {"keep-alive zeros around", concat({{0x00, 0x00}, scan, {0x00, 0x00}}), {scanFrame}},
        {"garbage with lone leads",
         concat({{0x11, 0x00, 0x13, 0xFF, 0x11, 0x11}, scan}),
         {scanFrame}},
        {"bad escape pair",
         concat({{0x11, 0x12, 0x03, 0x11, 0x15, 0x11, 0x13}, scan}),
         {scanFrame}},
        {"type 11 without its escape",
         concat({{0x11, 0x12, 0x11, 0x07, 0x11, 0x13}, scan}),
         {scanFrame}},
        {"frame start inside a frame", concat({{0x11, 0x12, 0x02, 0x05}, scan}), {scanFrame}},
        {"payload at the limit",
         frameOf(9, Bytes(MaxPayload, 0x11)),
         {{9, Bytes(MaxPayload, 0x11)}}},
        {"payload over the limit", concat({frameOf(9, longPayload), scan}), {scanFrame}},
        {"two frames back to back", concat({frameOf(1), frameOf(2)}), {{1, {}}, {2, {}}}},
    };
    for (const DecodeCase& c : cases) {
        FrameDecoder whole;
        EXPECT_EQ(whole.feed(c.stream), c.frames) << c.name;
        // The same bytes one at a time.
        FrameDecoder piecewise;
        std::vector<Frame> frames;
        for (std::uint8_t byte : c.stream) {
            for (Frame& frame : piecewise.feed(std::span(&byte, 1)))
                frames.push_back(std::move(frame));
        }
        EXPECT_EQ(frames, c.frames) << c.name << ", byte by byte";
    }
}

} // namespace
} // namespace marlow::sim
