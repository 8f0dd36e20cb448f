// The board served on a pseudo-terminal at the line's rate, as the handheld
// sees it: a start-scan command sent again in the middle of a sweep starts
// the sweep over from its first channel, and the bytes come no faster than
// 38400 bit/s carries them.
#include "Frames.h"
#include "board/Simulator.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

namespace marlow::board {
namespace {

using namespace std::chrono_literals;

// Three access points on every channel, all heard where the surveyor
// stands: each step of a sweep takes about a tenth of a second of line.
Scenario busySite() {
    Scenario scenario;
    scenario.pathLoss.noiseDb = 0;
    for (std::uint8_t channel = 1; channel <= LastChannel; ++channel) {
        for (std::uint8_t i = 0; i < 3; ++i)
            scenario.accessPoints.push_back(
                {{0x00, 0x1A, 0x2B, 0x3C, channel, i}, "busy", channel, 10.0 * i, 0, 0});
    }
    return scenario;
}

// The handheld's end of the line and the sweep messages that have come on
// it: each ScanChannel's channel, and 0 for each ScanComplete.
struct Handheld {
    // Reads until `done` holds; false when `limit` passes first.
    bool receiveUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        for (const auto giveUpAt = std::chrono::steady_clock::now() + limit; !done();) {
            if (std::chrono::steady_clock::now() > giveUpAt)
                return false;
            pollfd readable{fd, POLLIN, 0};
            std::uint8_t buffer[512];
            const ssize_t count = ::poll(&readable, 1, 20) == 1 ? ::read(fd, buffer, 512) : 0;
            bytes += static_cast<std::size_t>(std::max<ssize_t>(count, 0));
            parser.feed(std::span(buffer, static_cast<std::size_t>(std::max<ssize_t>(count, 0))),
                        [this](std::uint8_t type, std::span<const std::uint8_t> payload) {
                            if (type == 16 || type == 17)
                                channels.push_back(type == 16 ? payload[0] : 0);
                        });
        }
        return true;
    }
    bool saw(int channel) const {
        return std::find(channels.begin(), channels.end(), channel) != channels.end();
    }

    int fd;
    FrameParser parser;
    std::vector<int> channels;
    std::size_t bytes = 0;
};

TEST(BoardServer, StartScanAgainDuringAPacedSweepStartsItOverFromTheFirstChannel) {
    SimulatorConfig config;
    config.scenario = busySite();
    const std::unique_ptr<BoardServer> server = makeSimulator(std::move(config));
    const Result<void> started = server->startOnPseudoTerminal();
    ASSERT_TRUE(started) << started.error().message;
    Handheld handheld{::open(server->devicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC), {}, {}};
    ASSERT_GE(handheld.fd, 0);

    const Bytes startScan = test::frameBytes(3, Bytes{7});
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(::write(handheld.fd, startScan.data(), startScan.size()), 6);
    ASSERT_TRUE(handheld.receiveUntil([&] { return handheld.saw(2); }, 20s));
    ASSERT_EQ(::write(handheld.fd, startScan.data(), startScan.size()), 6);
    const std::size_t before = handheld.channels.size();
    ASSERT_TRUE(handheld.receiveUntil([&] { return handheld.saw(0); }, 20s));
    // A start and a stop bit with each byte: 3840 bytes a second.
    EXPECT_GE(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
              0.8 * static_cast<double>(handheld.bytes) / 3840);
    // Nothing more comes: the abandoned sweep never completes.
    EXPECT_FALSE(handheld.receiveUntil([] { return false; }, 300ms));
    ::close(handheld.fd);

    // After the second command, what was already on its way of the first
    // sweep, then the whole second sweep.
    const std::vector<int> after(handheld.channels.begin() + before, handheld.channels.end());
    const auto restart = std::find(after.begin(), after.end(), 1);
    EXPECT_LT(restart - after.begin(), 4) << "the first sweep ran on too long";
    EXPECT_EQ(std::vector<int>(restart, after.end()),
              (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0}));
}

} // namespace
} // namespace marlow::board
