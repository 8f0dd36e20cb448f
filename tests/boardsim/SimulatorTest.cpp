// The simulator on a real pseudo-terminal (and on a socket pair), talking to
// the tests' own handheld.
#include "boardsim/Simulator.h"

#include "BoardFixtures.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace marlow::sim {
namespace {

using test::concat;
using test::frameOf;
using test::Message;

const Message Firmware{1, {'1', '.', '0', '7', 0}};
const Message Serial{2, {'T', 'B', '-', '0', '0', '0', '4', '1', '7', 0}};

SimulatorConfig unpaced(BoardConfig board = labConfig()) {
    SimulatorConfig config;
    config.board = std::move(board);
    config.pacing = false;
    return config;
}

TEST(SimulatorOnPty, AnswersTheHandshakeAndSkipsWhatIsNotAFrame) {
    Simulator simulator(unpaced());
    ASSERT_EQ(simulator.startOnPseudoTerminal(), "");
    EXPECT_EQ(simulator.startOnPseudoTerminal(), "the simulator is already serving");
    test::PtyClient handheld(simulator.devicePath());
    ASSERT_TRUE(handheld.isOpen()) << simulator.devicePath();

    handheld.send(concat({{0x00, 0x00}, frameOf(1)}));
    EXPECT_EQ(handheld.readThrough(1), std::vector{Firmware});
    handheld.send(concat({{0x47, 0x11, 0x00, 0x13}, frameOf(2)}));
    EXPECT_EQ(handheld.readThrough(2), std::vector{Serial});
    // Mode gets no answer: the next thing to arrive answers what follows it.
    handheld.send(concat({frameOf(8, {1}), {0x00, 0x00}, frameOf(1)}));
    EXPECT_EQ(handheld.readThrough(1), std::vector{Firmware});
}

TEST(SimulatorOnPty, ScanArrivesAsTheBoardMakesIt) {
    Simulator simulator(unpaced());
    ASSERT_EQ(simulator.startOnPseudoTerminal(), "");
    test::PtyClient handheld(simulator.devicePath());
    ASSERT_TRUE(handheld.isOpen());
    Board reference(labConfig());

    for (const Point at : {Point{130, 80}, Point{600, 380}}) {
        simulator.setSurveyPosition(at);
        handheld.send(frameOf(3, {7}));
        const std::vector<Message> scan = handheld.readThrough(17);
        EXPECT_EQ(scan, scanAt(reference, at));
        EXPECT_EQ(scan.back().type, 17);
    }
}

TEST(SimulatorOnPty, PacingKeepsToTheLineRate) {
    SimulatorConfig config; // paced
    config.board = labConfig();
    config.board.faults = {Fault::Oversize}; // over 9000 bytes in one scan
    Simulator simulator(config);
    ASSERT_EQ(simulator.startOnPseudoTerminal(), "");
    test::PtyClient handheld(simulator.devicePath());
    ASSERT_TRUE(handheld.isOpen());

    const auto start = std::chrono::steady_clock::now();
    handheld.send(frameOf(3, {7}));
    const Bytes received = handheld.readBytes(4000);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_GE(received.size(), 4000u);
    // 3840 bytes a second: 4000 bytes take more than a second.
    EXPECT_GE(elapsed, std::chrono::milliseconds(800));
    // Stopping in the middle of a paced frame.
    simulator.stop();
    EXPECT_EQ(simulator.devicePath(), "");
}

TEST(SimulatorOnPty, StallHoldsTheLineInsideAFrame) {
    BoardConfig board = labConfig();
    board.faults = {Fault::Stall};
    Simulator simulator(unpaced(board));
    ASSERT_EQ(simulator.startOnPseudoTerminal(), "");
    test::PtyClient handheld(simulator.devicePath());
    ASSERT_TRUE(handheld.isOpen());

    const auto start = std::chrono::steady_clock::now();
    handheld.send(frameOf(3, {7}));
    EXPECT_EQ(handheld.readThrough(17).back().type, 17);
    EXPECT_GE(std::chrono::steady_clock::now() - start, StallLength);
}

TEST(SimulatorOnDescriptors, ServesASocketPair) {
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    {
        Simulator simulator(unpaced());
        ASSERT_EQ(simulator.startOnDescriptors(ends[0], ends[0]), "");
        EXPECT_EQ(simulator.devicePath(), "");
        const Bytes request = concat({{0x00, 0x00}, frameOf(2), frameOf(1)});
        ASSERT_EQ(::write(ends[1], request.data(), request.size()),
                  static_cast<ssize_t>(request.size()));

        const Bytes expected = concat({frameOf(2, Serial.payload), frameOf(1, Firmware.payload)});
        Bytes received;
        pollfd readable{ends[1], POLLIN, 0};
        while (received.size() < expected.size() && ::poll(&readable, 1, 20000) == 1) {
            std::uint8_t buffer[256];
            const ssize_t count = ::read(ends[1], buffer, sizeof buffer);
            if (count <= 0)
                break;
            received.insert(received.end(), buffer, buffer + count);
        }
        EXPECT_EQ(received, expected);
    }
    ::close(ends[0]);
    ::close(ends[1]);
}

} // namespace
} // namespace marlow::sim
