// The serial port's reader and writer threads with the real link, over the
// in-memory line: the keep-alive clock, stop, the single-slot outbox, a board
// that goes away, and a line that drops, garbles or stalls bytes.
#include "link/serial/SerialPort.h"

#include "link/AnalyzerLink.h"
#include "link/LinkEvents.h"
#include "link/serial/FaultyStream.h"
#include "link/serial/MemoryStream.h"

#include <functional>
#include <gtest/gtest.h>
#include <numeric>
#include <thread>

namespace marlow {
namespace {

using namespace std::chrono_literals;
using ByteVector = std::vector<std::uint8_t>;

const ByteVector KeepAlive{0x00, 0x00};

// Polls `condition` until it holds or 20 s pass; returns its last value.
bool waitUntil(const std::function<bool()>& condition) {
    const auto giveUpAt = std::chrono::steady_clock::now() + 20s;
    while (!condition() && std::chrono::steady_clock::now() < giveUpAt)
        std::this_thread::sleep_for(2ms);
    return condition();
}

// Up to `count` bytes from `stream`, stopping early after 20 s of silence.
ByteVector readFrom(ByteStream& stream, std::size_t count) {
    ByteVector bytes;
    while (bytes.size() < count) {
        const ReadResult got = stream.readByte(20s);
        if (got.status != ReadStatus::Byte)
            break;
        bytes.push_back(got.byte);
    }
    return bytes;
}

class FakeClock final : public SecondsClock {
public:
    std::int64_t nowSeconds() override {
        ++m_samples;
        return now;
    }
    // Returns once the reader has sampled the clock on two more passes, so
    // that its keep-alive test has seen the time set before the call.
    void waitForReaderPasses() {
        const std::int64_t target = m_samples + 2;
        waitUntil([&] { return m_samples >= target; });
    }
    std::atomic<std::int64_t> now{1000};

private:
    std::atomic<std::int64_t> m_samples{0};
};

struct CountingEvents final : LinkEvents {
    void notifyDraw() override { ++draws; }
    void warnLowBattery() override {}
    std::atomic<int> draws{0};
};

// The real link, counting its keep-alives.
struct CountingLink final : AnalyzerLink {
    using AnalyzerLink::AnalyzerLink;
    int keepAlive() override {
        ++keepAlives;
        return AnalyzerLink::keepAlive();
    }
    std::atomic<int> keepAlives{0};
};

struct SerialPortTest : ::testing::Test {
    CountingEvents events;
    SharedRecordList scans;
    CountingLink link{events, scans};
    FakeClock clock;
    MemoryStream::Pair line = MemoryStream::makePair();
    MemoryStream& board = *line.second;
};

TEST_F(SerialPortTest, KeepAliveFirstThenAfterElevenQuietSecondsUntilStopped) {
    {
        SerialPort port(link, std::move(line.first), clock);
        // The reader's first pass finds the line quiet since time 0.
        EXPECT_EQ(readFrom(board, 2), KeepAlive);
        EXPECT_EQ(link.requestFirmwareVersion(), 1);
        EXPECT_EQ(readFrom(board, 5), (ByteVector{0x11, 0x12, 0x01, 0x11, 0x13}));

        clock.now = 1010;
        clock.waitForReaderPasses();
        EXPECT_EQ(link.keepAlives, 1);
        clock.now = 1011;
        EXPECT_TRUE(waitUntil([&] { return link.keepAlives == 2; }));
        EXPECT_EQ(readFrom(board, 2), KeepAlive);

        // Bytes from the board count as traffic: silence starts again.
        clock.now = 1015;
        clock.waitForReaderPasses();
        const ByteVector scanningChannel5{0x11, 0x12, 0x10, 0x05, 0x11, 0x13};
        board.write(scanningChannel5.data(), scanningChannel5.size());
        EXPECT_TRUE(waitUntil([&] { return link.scanChannel == 5; }));
        clock.now = 1025;
        clock.waitForReaderPasses();
        EXPECT_EQ(link.keepAlives, 2);
        clock.now = 1026;
        EXPECT_TRUE(waitUntil([&] { return link.keepAlives == 3; }));
        EXPECT_EQ(readFrom(board, 2), KeepAlive);

        // Stop ends both threads and closes the port's end of the line.
        port.stop();
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(board.readByte(10s).status, ReadStatus::Failed);
        clock.now = 2000;
        EXPECT_EQ(port.send(KeepAlive.data(), KeepAlive.size()), 1);
        std::this_thread::sleep_for(600ms);
        EXPECT_EQ(link.keepAlives, 3);
        port.stop();
    }
    // The destroyed port is no longer the link's sink.
    EXPECT_EQ(link.requestFirmwareVersion(), 0);
}

TEST_F(SerialPortTest, OutboxHoldsOneMessageOfAtMost128Bytes) {
    clock.now = 5; // not past 0 + 10: no keep-alive gets in the way
    auto stalling = std::make_unique<FaultyStream>(
        std::move(line.first),
        std::vector<Fault>{{FaultDirection::Outgoing, FaultKind::Stall, 0, 60s}});
    FaultyStream& faulty = *stalling;
    SerialPort port(link, std::move(stalling), clock);

    const ByteVector first{0xA1}, second{0xB1, 0xB2}, third{0xC1, 0xC2, 0xC3};
    EXPECT_EQ(port.send(first.data(), first.size()), 1);
    ASSERT_TRUE(waitUntil([&] { return faulty.stallsBegun() == 1; }));
    // The writer is busy with the first: the third replaces the second, and
    // is written once the first is out.
    port.send(second.data(), second.size());
    port.send(third.data(), third.size());
    faulty.release();
    EXPECT_EQ(readFrom(board, 4), (ByteVector{0xA1, 0xC1, 0xC2, 0xC3}));

    ByteVector big(200);
    std::iota(big.begin(), big.end(), std::uint8_t{0});
    EXPECT_EQ(port.send(big.data(), big.size()), 1);
    EXPECT_EQ(readFrom(board, 128), ByteVector(big.begin(), big.begin() + 128));
    EXPECT_EQ(board.readByte(300ms).status, ReadStatus::TimedOut);
}

TEST_F(SerialPortTest, BoardThatHangsUpDoesNotSpinTheReader) {
    auto counting = std::make_unique<FaultyStream>(std::move(line.first), std::vector<Fault>{});
    FaultyStream& counted = *counting;
    SerialPort port(link, std::move(counting), clock);
    EXPECT_EQ(readFrom(board, 2), KeepAlive);
    board.hangUp();
    // Every failed read is followed by a 100 ms pause: about ten a second.
    // A reader that spins makes hundreds of thousands.
    const std::size_t before = counted.readCalls();
    std::this_thread::sleep_for(1s);
    EXPECT_LT(counted.readCalls() - before, 100u);
}

// A frame that loses or garbles a byte, or stalls longer than a read
// time-out, is dropped, and the next frame still arrives.
TEST(FaultyLine, DropsDamagedFramesAndKeepsTheNext) {
    // What befalls which byte of the first frame, 11 12 01 '1' '.' '0' '0' 11 13,
    // and whether that frame still arrives.
    using LineCase =
        std::tuple<const char*, FaultKind, std::size_t, std::chrono::milliseconds, bool>;
    const LineCase cases[] = {
        {"second start byte lost", FaultKind::Drop, 1, 0ms, false},
        {"end byte garbled", FaultKind::Corrupt, 8, 0ms, false},
        {"stall longer than a read", FaultKind::Stall, 5, 800ms, false},
        {"stall shorter than a read", FaultKind::Stall, 5, 50ms, true},
        {"payload byte garbled", FaultKind::Corrupt, 4, 0ms, true},
    };
    // Firmware "1.00", firmware "2.00", scanning channel 9.
    const ByteVector bytes{0x11, 0x12, 0x01, '1', '.',  '0',  '0',  0x11, 0x13, 0x11, 0x12, 0x01,
                           '2',  '.',  '0',  '0', 0x11, 0x13, 0x11, 0x12, 0x10, 0x09, 0x11, 0x13};
    for (const auto& [what, kind, index, stall, firstDelivered] : cases) {
        CountingEvents events;
        SharedRecordList scans;
        AnalyzerLink link(events, scans);
        FakeClock clock;
        clock.now = 5;
        auto [portEnd, boardEnd] = MemoryStream::makePair();
        const std::vector<Fault> faults{{FaultDirection::Incoming, kind, index, stall}};
        SerialPort port(link, std::make_unique<FaultyStream>(std::move(portEnd), faults), clock);
        boardEnd->write(bytes.data(), bytes.size());

        EXPECT_TRUE(waitUntil([&] { return link.scanChannel == 9; })) << what;
        port.stop(); // every frame has been handled
        char firmware[FramedLink::TextSize];
        link.copyFirmwareText(firmware);
        EXPECT_STREQ(firmware, "2.00") << what;
        EXPECT_EQ(events.draws, firstDelivered ? 3 : 2) << what;
    }
}

} // namespace
} // namespace marlow
