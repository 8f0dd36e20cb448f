// The byte streams on their own: the termios port over a pseudo-terminal and
// on things that are not serial ports, and the in-memory line.
#include "SerialTestSupport.h"
#include "TempDir.h"
#include "link/serial/MemoryStream.h"
#include "link/serial/PosixSerialStream.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>

namespace marlow {
namespace {

using namespace std::chrono_literals;
using test::ByteVector;

TEST(PosixSerialStream, ReportsWhyAPortCannotBeUsed) {
    test::TempDir dir;
    test::writeBytes(dir.file("plain"), {1, 2});
    const std::vector<std::pair<std::string, const char*>> cases = {
        {"/dev/marlow-no-such-port", "Cannot Open Connection To Board."},
        {dir.file("absent"), "Cannot Open Connection To Board."},
        {"/dev/null", "Could not SetCommState"},
        {dir.file("plain"), "Could not SetCommState"},
    };
    for (const auto& [device, message] : cases) {
        test::MessageLog log;
        EXPECT_EQ(PosixSerialStream::open(device, log), nullptr) << device;
        EXPECT_EQ(log.texts(), std::vector<std::string>{message}) << device;
    }
}

TEST(PosixSerialStream, ConfiguresTheLineAndMovesBytes) {
    test::PseudoTerminal board;
    test::MessageLog log;
    auto port = PosixSerialStream::open(board.slavePath(), log);
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(log.texts().empty());

    termios settings{};
    ASSERT_EQ(::tcgetattr(board.slaveFd(), &settings), 0);
    EXPECT_EQ(::cfgetospeed(&settings), B38400);
    EXPECT_EQ(::cfgetispeed(&settings), B38400);
    EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
    EXPECT_EQ(settings.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | IXANY | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);

    // Every byte value passes untouched, both ways.
    ByteVector all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<std::uint8_t>(i);
    EXPECT_EQ(port->write(all.data(), all.size()), all.size());
    EXPECT_EQ(board.read(all.size()), all);
    board.write(all);
    EXPECT_EQ(test::readFrom(*port, all.size()), all);
    EXPECT_EQ(port->readByte(10ms).status, ReadStatus::TimedOut);

    // Purging drops what has arrived but not been read.
    board.write({7, 8, 9});
    pollfd queued{board.slaveFd(), POLLIN, 0};
    ASSERT_EQ(::poll(&queued, 1, 20000), 1);
    port->purge();
    EXPECT_EQ(port->readByte(50ms).status, ReadStatus::TimedOut);

    board.hangUp();
    EXPECT_EQ(port->readByte(10s).status, ReadStatus::Failed);
}

TEST(MemoryStream, CarriesBytesUntilHungUp) {
    auto [left, right] = MemoryStream::makePair();
    const ByteVector hello{0x11, 0x12, 0x00, 0xFF};
    EXPECT_EQ(left->write(hello.data(), hello.size()), hello.size());
    EXPECT_EQ(test::readFrom(*right, hello.size()), hello);
    EXPECT_EQ(right->readByte(1ms).status, ReadStatus::TimedOut);

    // The queue holds 4096 bytes; a writer with nobody reading gives up.
    const ByteVector big(5000, 0x55);
    EXPECT_EQ(right->write(big.data(), big.size()), 4096u);
    left->purge();
    EXPECT_EQ(left->readByte(1ms).status, ReadStatus::TimedOut);

    // Bytes written before the hang-up are still read, then reads fail.
    right->write(hello.data(), 2);
    right->hangUp();
    EXPECT_EQ(test::readFrom(*left, 2), ByteVector(hello.begin(), hello.begin() + 2));
    EXPECT_EQ(left->readByte(10s).status, ReadStatus::Failed);
    EXPECT_EQ(left->write(hello.data(), hello.size()), 0u);
}

} // namespace
} // namespace marlow
