// The serial port's threads with the real link: the bytes of start-up, the
// keep-alive clock, the single-slot outbox, stop, failures to open and a
// board that goes away.
#include "link/serial/SerialPort.h"

#include "SerialTestSupport.h"
#include "link/serial/FaultyStream.h"
#include "link/serial/MemoryStream.h"
#include "link/serial/PosixSerialStream.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <numeric>
#include <thread>

namespace marlow {
namespace {

using namespace std::chrono_literals;
using test::ByteVector;

const ByteVector KeepAlive{0x00, 0x00};
const ByteVector FirmwareRequest{0x11, 0x12, 0x01, 0x11, 0x13};

// The port's threads still alive, found by their names.
int linkThreads() {
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::string name;
        std::getline(std::ifstream(task.path() / "comm"), name);
        count += name == SerialPort::ReaderThreadName || name == SerialPort::WriterThreadName;
    }
    return count;
}

// How many of this process's descriptors are open on `path`.
int descriptorsOn(const std::string& path) {
    int count = 0;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        count += std::filesystem::read_symlink(fd.path(), error) == path ? 1 : 0;
    }
    return count;
}

struct LinkFixture : ::testing::Test {
    test::CountingEvents events;
    SharedRecordList scans;
    test::CountingLink link{events, scans};
    test::MessageLog log;
};

using SerialPortTest = LinkFixture;

TEST_F(SerialPortTest, KeepAliveFirstThenAfterElevenQuietSeconds) {
    test::PseudoTerminal board;
    test::FakeClock clock(1000);
    SerialPort port(link, board.slavePath(), log, clock);
    ASSERT_TRUE(port.isOpen());
    // The reader's first pass finds the line quiet since time 0.
    EXPECT_EQ(board.read(2), KeepAlive);
    EXPECT_EQ(link.requestFirmwareVersion(), 1);
    EXPECT_EQ(board.read(5), FirmwareRequest);

    clock.set(1010);
    clock.waitForReaderPasses();
    EXPECT_EQ(link.keepAlives, 1);
    clock.set(1011);
    EXPECT_TRUE(test::waitUntil([&] { return link.keepAlives == 2; }));
    EXPECT_EQ(board.read(2), KeepAlive);

    // Bytes from the board count as traffic: silence starts again.
    clock.set(1015);
    clock.waitForReaderPasses();
    board.write({0x11, 0x12, 0x10, 0x05, 0x11, 0x13}); // scanning channel 5
    EXPECT_TRUE(test::waitUntil([&] { return link.scanChannel == 5; }));
    clock.set(1025);
    clock.waitForReaderPasses();
    EXPECT_EQ(link.keepAlives, 2);
    clock.set(1026);
    EXPECT_TRUE(test::waitUntil([&] { return link.keepAlives == 3; }));
    EXPECT_EQ(board.read(2), KeepAlive);
    EXPECT_TRUE(log.texts().empty());
}

TEST_F(SerialPortTest, OutboxHoldsOneMessageOfAtMost128Bytes) {
    test::FakeClock clock(5); // not past 0 + 10: no keep-alive gets in the way
    auto [portEnd, boardEnd] = MemoryStream::makePair();
    auto stalling = std::make_unique<FaultyStream>(
        std::move(portEnd),
        std::vector<Fault>{{FaultDirection::Outgoing, FaultKind::Stall, 0, 60s}});
    FaultyStream& line = *stalling;
    SerialPort port(link, std::move(stalling), clock);

    const ByteVector first{0xA1}, second{0xB1, 0xB2}, third{0xC1, 0xC2, 0xC3};
    EXPECT_EQ(port.send(first.data(), first.size()), 1);
    ASSERT_TRUE(test::waitUntil([&] { return line.stallsBegun() == 1; }));
    // The writer is busy with the first: the third replaces the second, and
    // is written once the first is out.
    port.send(second.data(), second.size());
    port.send(third.data(), third.size());
    line.release();
    EXPECT_EQ(test::readFrom(*boardEnd, 4), (ByteVector{0xA1, 0xC1, 0xC2, 0xC3}));

    ByteVector big(200);
    std::iota(big.begin(), big.end(), std::uint8_t{0});
    EXPECT_EQ(port.send(big.data(), big.size()), 1);
    EXPECT_EQ(test::readFrom(*boardEnd, 128), ByteVector(big.begin(), big.begin() + 128));
    EXPECT_EQ(boardEnd->readByte(300ms).status, ReadStatus::TimedOut);
}

TEST_F(SerialPortTest, StopEndsTheThreadsAndClosesThePort) {
    test::PseudoTerminal board;
    test::FakeClock clock(1000);
    {
        SerialPort port(link, board.slavePath(), log, clock);
        EXPECT_EQ(board.read(2), KeepAlive);
        EXPECT_EQ(linkThreads(), 2);
        EXPECT_EQ(descriptorsOn(board.slavePath()), 2);
        port.stop();
        EXPECT_FALSE(port.isOpen());
        EXPECT_EQ(descriptorsOn(board.slavePath()), 1);
        EXPECT_TRUE(test::waitUntil([] { return linkThreads() == 0; }));
        // Nothing runs any more: the clock is not sampled, sends go nowhere.
        clock.set(2000);
        const int keepAlivesAtStop = link.keepAlives;
        EXPECT_EQ(port.send(FirmwareRequest.data(), FirmwareRequest.size()), 1);
        EXPECT_TRUE(board.read(1, 600ms).empty());
        EXPECT_EQ(link.keepAlives, keepAlivesAtStop);
        port.stop();
    }
    // The destroyed port is no longer the link's sink.
    EXPECT_EQ(link.requestFirmwareVersion(), 0);
    // The device can be opened again.
    SerialPort again(link, board.slavePath(), log, clock);
    EXPECT_EQ(board.read(2), KeepAlive);
    EXPECT_TRUE(log.texts().empty());
}

TEST_F(SerialPortTest, PortThatCannotBeUsedStartsNoThreads) {
    test::FakeClock clock(1000);
    const int nullsBefore = descriptorsOn("/dev/null");
    for (const char* device : {"/dev/marlow-no-such-port", "/dev/null"}) {
        SerialPort port(link, device, log, clock);
        EXPECT_FALSE(port.isOpen()) << device;
        EXPECT_EQ(linkThreads(), 0) << device;
        EXPECT_EQ(port.send(KeepAlive.data(), KeepAlive.size()), 1);
    }
    EXPECT_EQ(descriptorsOn("/dev/null"), nullsBefore);
    EXPECT_EQ(log.texts(), (std::vector<std::string>{"Cannot Open Connection To Board.",
                                                     "Could not SetCommState"}));
}

TEST_F(SerialPortTest, BoardThatHangsUpDoesNotSpinTheReader) {
    test::PseudoTerminal board;
    test::FakeClock clock(1000);
    auto counting = std::make_unique<FaultyStream>(PosixSerialStream::open(board.slavePath(), log),
                                                   std::vector<Fault>{});
    FaultyStream& line = *counting;
    SerialPort port(link, std::move(counting), clock);
    EXPECT_EQ(board.read(2), KeepAlive);
    board.hangUp();
    // Every failed read is followed by a 100 ms pause: about ten a second.
    // A reader that spins makes hundreds of thousands.
    const std::size_t before = line.readCalls();
    std::this_thread::sleep_for(1s);
    EXPECT_LT(line.readCalls() - before, 100u);
    port.stop();
}

} // namespace
} // namespace marlow
