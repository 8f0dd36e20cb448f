// The board served on a pseudo-terminal at the line's rate, as the handheld
// sees it: a start-scan command sent again in the middle of a sweep starts
// the sweep over from its first channel, and the bytes come no faster than
// 38400 bit/s carries them. Served on a real serial device, the line has
// the board's settings, and stopping ends a step whose radio waits.
#include "Frames.h"
#include "board/Simulator.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <termios.h>
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

// A radio that waits in listen() until it is interrupted, as a real radio
// waits for the air.
class WaitingRadio final : public RadioSource {
public:
    std::vector<std::uint8_t> sweepChannels() const override { return {1}; }
    void sweepStarted() override {}
    std::vector<HeardBeacon> listen(std::uint8_t) override {
        std::unique_lock lock(m_mutex);
        m_listening = true;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_interrupted; });
        return {};
    }
    void interrupt() override {
        const std::lock_guard lock(m_mutex);
        m_interrupted = true;
        m_changed.notify_all();
    }
    void waitUntilListening() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_listening; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_listening = false;
    bool m_interrupted = false;
};

TEST(BoardServer, ServesARealSerialDeviceAtTheLineSettingsAndStopsARadioThatWaits) {
    const Result<std::unique_ptr<PseudoTerminal>> line = PseudoTerminal::open();
    ASSERT_TRUE(line) << line.error().message;
    auto owned = std::make_unique<WaitingRadio>();
    WaitingRadio& radio = *owned;
    ServerConfig unpaced;
    unpaced.pacing = false;
    BoardServer server({}, std::move(owned), unpaced);
    // The pseudo-terminal's slave stands in for the cable's device; the
    // handheld is at the master.
    const Result<void> started = server.startOnSerialDevice((*line)->slavePath());
    ASSERT_TRUE(started) << started.error().message;
    EXPECT_EQ(server.devicePath(), (*line)->slavePath());
    const int slave = ::open((*line)->slavePath().c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    ASSERT_EQ(::tcgetattr(slave, &settings), 0);
    ::close(slave);
    EXPECT_EQ(::cfgetospeed(&settings), static_cast<speed_t>(B38400));
    EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_lflag & ICANON, 0U);

    Handheld handheld{(*line)->master(), {}, {}};
    const Bytes startScan = test::frameBytes(3, Bytes{7});
    ASSERT_EQ(::write(handheld.fd, startScan.data(), startScan.size()), 6);
    // The command came over the line: the sweep's first step listens.
    radio.waitUntilListening();
    const auto stopping = std::chrono::steady_clock::now();
    server.stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 2s);

    const Result<void> notATerminal =
        BoardServer({}, std::make_unique<WaitingRadio>(), {}).startOnSerialDevice("/dev/null");
    ASSERT_FALSE(notATerminal);
    EXPECT_NE(notATerminal.error().message.find("/dev/null is not a serial device"),
              std::string::npos);
}

} // namespace
} // namespace marlow::board
