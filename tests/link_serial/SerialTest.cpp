// The serial side of the link. Finding the board's device: port discovery
// over a registry in memory and over a fake sysfs tree. The termios port on a
// pseudo-terminal, and the link's start-up and stop through LinkSession. The
// reader and writer threads with the real link on a pseudo-terminal: the
// keep-alive clock, frames that stall, stop, the single-slot outbox and a
// board that goes away.
#include "TempDir.h"
#include "link/serial/LinkSession.h"
#include "link/serial/PortDiscovery.h"
#include "link/serial/PosixSerialStream.h"
#include "link/serial/SysfsRegistry.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <numeric>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace marlow {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ByteVector = std::vector<std::uint8_t>;

const ByteVector KeepAlive{0x00, 0x00};
const ByteVector FirmwareRequest{0x11, 0x12, 0x01, 0x11, 0x13};

// Polls `condition` until it holds or 20 s pass; returns its last value.
bool waitUntil(const std::function<bool()>& condition) {
    const auto giveUpAt = std::chrono::steady_clock::now() + 20s;
    while (!condition() && std::chrono::steady_clock::now() < giveUpAt)
        std::this_thread::sleep_for(2ms);
    return condition();
}

struct Entry {
    int number;
    const char* pnpId;
    const char* name; // null: the key has no "Name"
};

class FakeRegistry final : public DriverRegistry {
public:
    explicit FakeRegistry(std::vector<Entry> entries) : m_entries(std::move(entries)) {}
    std::optional<std::string> readString(const std::string& key,
                                          const std::string& valueName) const override {
        for (const Entry& e : m_entries) {
            const char* value = valueName == "PnpId" ? e.pnpId : e.name;
            if (key == activeDriverKey(e.number) && value)
                return value;
        }
        return std::nullopt;
    }
    std::vector<Entry> m_entries;
};

// The board's end of a pseudo-terminal; the port opens `path`.
struct PseudoTerminal {
    PseudoTerminal() {
        char name[4096] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            throw std::runtime_error("cannot create a pseudo-terminal");
        path = name;
    }
    ~PseudoTerminal() {
        ::close(master);
        ::close(slave);
    }
    // The port's end, opened as the program opens it.
    std::unique_ptr<ByteStream> open() const {
        Result<std::unique_ptr<PosixSerialStream>> opened = PosixSerialStream::open(path);
        if (!opened)
            throw std::runtime_error(opened.error().message);
        return std::move(opened).value();
    }
    void write(const ByteVector& bytes) {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // Up to `count` bytes, stopping early after `silence`.
    ByteVector read(std::size_t count, std::chrono::milliseconds silence = 20s) {
        ByteVector bytes;
        pollfd ready{master, POLLIN, 0};
        for (std::uint8_t byte = 0; bytes.size() < count &&
                                    ::poll(&ready, 1, int(silence.count())) > 0 &&
                                    ::read(master, &byte, 1) == 1;)
            bytes.push_back(byte);
        return bytes;
    }
    int master = -1;
    int slave = -1;
    std::string path;
};

// The port's line with its writes held until release(): a test can fill the
// outbox behind a busy writer.
class HeldStream final : public ByteStream {
public:
    explicit HeldStream(std::unique_ptr<ByteStream> inner) : m_inner(std::move(inner)) {}
    std::size_t write(const std::uint8_t* bytes, std::size_t length) override {
        ++writes;
        m_released.wait_for(20s);
        return m_inner->write(bytes, length);
    }
    ReadResult readByte(std::chrono::milliseconds timeout) override {
        return m_inner->readByte(timeout);
    }
    void purge() override { m_inner->purge(); }
    void release() { m_release.set_value(); }

    std::atomic<int> writes{0};

private:
    std::unique_ptr<ByteStream> m_inner;
    std::promise<void> m_release;
    std::shared_future<void> m_released = m_release.get_future().share();
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

// The link's surroundings: its events, the port's messages and a clock that
// the test sets.
struct SerialTest : ::testing::Test, LinkEvents, LinkMessages, SecondsClock {
    void notifyDraw() override { ++draws; }
    void warnLowBattery() override {}
    void showError(const char* text, const std::string&) override { errors.emplace_back(text); }
    std::int64_t nowSeconds() override {
        ++samples;
        return now;
    }

    std::atomic<int> draws{0};
    std::vector<std::string> errors;
    std::atomic<std::int64_t> now{5}; // not past 0 + 10: no keep-alive
    std::atomic<std::int64_t> samples{0};
    SharedRecordList scans;
    CountingLink link{*this, scans};
    PseudoTerminal pty;
};

TEST(PortDiscovery, FindsThePortOfTheAdapterInMemoryAndInSysfs) {
    const std::vector<std::tuple<const char*, std::vector<Entry>, const char*>> cases = {
        {"first pass wins over key order; a key without Name is passed over; earliest key",
         {{2, "Quatech A", nullptr},
          {3, "Socket CF serial", "COM3:"},
          {8, "Quatech C", "COM8:"},
          {7, "Quatech B", "COM7:"}},
         "COM7:"},
        {"last key of the first pass", {{50, "Quatech", "COM5:"}}, "COM5:"},
        {"last key of the second pass", {{40, "Socket", "COM4:"}}, "COM4:"},
        {"beyond the last keys, prefix case exact and whole: the fallback",
         {{51, "Quatech", "COM5:"},
          {41, "Socket", "COM4:"},
          {2, "quatech SSP", "COM2:"},
          {3, "SOCKET", "COM3:"},
          {6, "Quatec", "COM6:"},
          {7, "Sock", "COM7:"}},
         "COM1:"},
    };
    for (const auto& [what, entries, port] : cases)
        EXPECT_EQ(discoverPort(FakeRegistry(entries)), port) << what;
    EXPECT_EQ(activeDriverKey(7), "Drivers\\Active\\07");

    // The Linux registry lists the terminals with hardware, in name order.
    const std::string usbPort = "devices/usb1/1-2/1-2:1.0/ttyUSB0";
    // Files, and symbolic links written "-> target".
    const std::vector<std::pair<std::string, std::string>> tree = {
        // A USB adapter: maker and product two levels above the port device.
        {"devices/usb1/1-2/manufacturer", "Quatech"},
        {"devices/usb1/1-2/product", "SSU-100"},
        {usbPort + "/driver", "-> ../../../../../bus/usb-serial/drivers/ftdi_sio"},
        {"class/tty/ttyUSB0/device", "-> ../../../" + usbPort},
        // A modem reached through a class symlink, product string only.
        {"devices/usb2/2-1/product", "Socket Modem"},
        {"devices/usb2/2-1/2-1:1.0/tty/ttyACM0/device", "-> ../.."},
        {"class/tty/ttyACM0", "-> ../../devices/usb2/2-1/2-1:1.0/tty/ttyACM0"},
        // An on-board UART found by its driver, and a legacy port without a UART.
        {"devices/pnp0/00:05/driver", "-> ../../../bus/pnp/drivers/serial"},
        {"class/tty/ttyS0/device", "-> ../../../devices/pnp0/00:05"},
        {"class/tty/ttyS0/type", "4"},
        {"devices/platform/serial8250/driver", "-> ../../../bus/platform/drivers/serial8250"},
        {"class/tty/ttyS1/device", "-> ../../../devices/platform/serial8250"},
        {"class/tty/ttyS1/type", "0"},
        // A virtual terminal and a dangling device link.
        {"class/tty/tty0/dev", "4:0"},
        {"class/tty/ttyS2/device", "-> ../../../devices/gone"},
    };
    test::TempDir dir;
    for (const auto& [path, contents] : tree) {
        const fs::path at = fs::path(dir.path()) / path;
        fs::create_directories(at.parent_path());
        if (contents.starts_with("-> "))
            fs::create_symlink(contents.substr(3), at);
        else
            std::ofstream(at) << contents << "\n";
    }

    const SysfsRegistry registry(dir.path());
    using Listed = std::vector<std::pair<std::optional<std::string>, std::optional<std::string>>>;
    Listed listed;
    for (int i = 0; i < 4; ++i)
        listed.emplace_back(registry.readString(activeDriverKey(i), "PnpId"),
                            registry.readString(activeDriverKey(i), "Name"));
    EXPECT_EQ(listed, (Listed{{"Socket Modem", "/dev/ttyACM0"},
                              {"serial", "/dev/ttyS0"},
                              {"Quatech SSU-100", "/dev/ttyUSB0"},
                              {std::nullopt, std::nullopt}}));
    // The Quatech adapter wins over the earlier Socket modem.
    EXPECT_EQ(discoverPort(registry), "/dev/ttyUSB0");
    // No tree at all: the fallback port, COM1: being the first serial device.
    EXPECT_EQ(devicePathForPort(discoverPort(SysfsRegistry(dir.file("absent")))), "/dev/ttyS0");
}

TEST_F(SerialTest, PosixStreamConfiguresTheLineAndMovesBytes) {
    const std::unique_ptr<ByteStream> port = pty.open();
    // A device that is not there, and one that is not a terminal: the texts
    // the user is shown, with the system's reason.
    const auto absent = PosixSerialStream::open("/dev/marlow-no-such-port");
    ASSERT_FALSE(absent);
    EXPECT_EQ(absent.error().message, CannotOpenMessage);
    EXPECT_EQ(absent.error().systemError, ENOENT);
    const auto notATerminal = PosixSerialStream::open("/dev/null");
    ASSERT_FALSE(notATerminal);
    EXPECT_EQ(notATerminal.error().message, SetCommStateMessage);
    EXPECT_EQ(notATerminal.error().systemError, ENOTTY);

    termios settings{};
    ASSERT_EQ(::tcgetattr(pty.slave, &settings), 0);
    EXPECT_EQ(::cfgetospeed(&settings), B38400);
    EXPECT_EQ(::cfgetispeed(&settings), B38400);
    EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
              tcflag_t(CS8 | CLOCAL | CREAD));

    // Every byte value passes untouched, both ways: the line is raw.
    ByteVector all(256);
    std::iota(all.begin(), all.end(), std::uint8_t{0});
    EXPECT_EQ(port->write(all.data(), all.size()), all.size());
    EXPECT_EQ(pty.read(all.size()), all);
    ASSERT_EQ(::write(pty.master, all.data(), all.size()), 256);
    ByteVector got;
    for (ReadResult r;
         got.size() < all.size() && (r = port->readByte(20s)).status == ReadStatus::Byte;)
        got.push_back(r.byte);
    EXPECT_EQ(got, all);
    EXPECT_EQ(port->readByte(10ms).status, ReadStatus::TimedOut);

    // Purging drops what has arrived but not been read.
    ASSERT_EQ(::write(pty.master, all.data(), 3), 3);
    pollfd queued{pty.slave, POLLIN, 0};
    ASSERT_EQ(::poll(&queued, 1, 20000), 1);
    port->purge();
    EXPECT_EQ(port->readByte(50ms).status, ReadStatus::TimedOut);

    // The board goes away: the read fails instead of timing out.
    ::close(std::exchange(pty.master, -1));
    EXPECT_EQ(port->readByte(10s).status, ReadStatus::Failed);
}

TEST_F(SerialTest, SessionStartsOnTheFoundPortAsksForFirmwareAndStops) {
    LinkSession session(*this, scans, *this, *this);
    int repaints = 0;
    session.start(FakeRegistry({{12, "Quatech SSU-100", pty.path.c_str()}}), {"", 10ms},
                  [&] { ++repaints; });
    ASSERT_TRUE(session.portOpen());
    EXPECT_EQ(repaints, 1);
    EXPECT_EQ(pty.read(5), FirmwareRequest);
    session.stop();
    EXPECT_FALSE(session.portOpen());
    EXPECT_EQ(session.link().requestFirmwareVersion(), 0);
    EXPECT_TRUE(errors.empty());

    // Without a usable port the user is told why, and the link runs on.
    for (const char* device : {"/dev/marlow-no-such-port", "/dev/null"}) {
        session.start(FakeRegistry({{0, "Quatech", device}}), {"", 10ms}, [&] { ++repaints; });
        EXPECT_FALSE(session.portOpen());
        EXPECT_EQ(session.link().requestFirmwareVersion(), 1);
    }
    EXPECT_EQ(repaints, 3);
    EXPECT_EQ(errors, (std::vector<std::string>{"Cannot Open Connection To Board.",
                                                "Could not SetCommState"}));
}

TEST_F(SerialTest, KeepAliveFirstThenAfterElevenQuietSecondsFramesThatStallAndStop) {
    now = 1000;
    {
        SerialPort port(link, pty.open(), *this);
        // The reader's first pass finds the line quiet since time 0.
        EXPECT_EQ(pty.read(2), KeepAlive);
        EXPECT_EQ(link.requestFirmwareVersion(), 1);
        EXPECT_EQ(pty.read(5), FirmwareRequest);
        // At `second`, the reader has sent `count` keep-alives in all.
        const auto keepAlivesAt = [&](std::int64_t second, int count) {
            now = second;
            // Two more passes of the reader: its keep-alive test has seen the time.
            const std::int64_t passes = samples + 2;
            waitUntil([&] { return samples >= passes; });
            EXPECT_TRUE(waitUntil([&] { return link.keepAlives == count; })) << "at " << second;
        };
        keepAlivesAt(1010, 1);
        keepAlivesAt(1011, 2);
        EXPECT_EQ(pty.read(2), KeepAlive);

        // Bytes from the board count as traffic: silence starts again. Board
        // channel 3 stalls before its sixth byte for longer than a read and is
        // dropped, board channel 7 stalls there for less, then scanning
        // channel 9.
        keepAlivesAt(1015, 2);
        pty.write({0x11, 0x12, 0x04, 0x03, 'a'});
        std::this_thread::sleep_for(800ms);
        pty.write({'b', 'c', 0x11, 0x13, 0x11, 0x12, 0x04, 0x07, 'a'});
        std::this_thread::sleep_for(50ms);
        pty.write({'b', 'c', 0x11, 0x13, 0x11, 0x12, 0x10, 0x09, 0x11, 0x13});
        EXPECT_TRUE(waitUntil([&] { return link.scanChannel == 9; }));
        keepAlivesAt(1025, 2);
        keepAlivesAt(1026, 3);
        EXPECT_EQ(pty.read(2), KeepAlive);

        // Stop ends both threads and closes the port.
        port.stop();
        EXPECT_FALSE(port.isOpen());
        now = 2000;
        EXPECT_EQ(port.send(KeepAlive.data(), KeepAlive.size()), 1);
        std::this_thread::sleep_for(600ms);
        EXPECT_EQ(link.keepAlives, 3);
    }
    EXPECT_EQ(link.lastBoardChannel(), 7);
    EXPECT_EQ(draws, 2);
    // The destroyed port is no longer the link's sink.
    EXPECT_EQ(link.requestFirmwareVersion(), 0);
}

TEST_F(SerialTest, OutboxHoldsOneMessageOfAtMost128BytesAndAHungUpLineDoesNotSpinTheReader) {
    auto held = std::make_unique<HeldStream>(pty.open());
    HeldStream& line = *held;
    SerialPort port(link, std::move(held), *this);

    const ByteVector first{0xA1, 0xA2, 0xA3}, second{0xB1, 0xB2}, third{0xC1, 0xC2, 0xC3};
    EXPECT_EQ(port.send(first.data(), first.size()), 1);
    ASSERT_TRUE(waitUntil([&] { return line.writes == 1; }));
    // The writer is busy with the first: it goes out whole as it was sent,
    // the third replaces the second and is written once the first is out.
    port.send(second.data(), second.size());
    port.send(third.data(), third.size());
    line.release();
    EXPECT_EQ(pty.read(6), (ByteVector{0xA1, 0xA2, 0xA3, 0xC1, 0xC2, 0xC3}));

    ByteVector big(200);
    std::iota(big.begin(), big.end(), std::uint8_t{0});
    EXPECT_EQ(port.send(big.data(), big.size()), 1);
    EXPECT_EQ(pty.read(128), ByteVector(big.begin(), big.begin() + 128));
    EXPECT_TRUE(pty.read(1, 300ms).empty());

    // The board goes away. Every failed read is followed by a 100 ms pause:
    // about ten passes of the reader a second, each sampling the clock. A
    // reader that spins makes hundreds of thousands.
    ::close(std::exchange(pty.master, -1));
    const std::int64_t before = samples;
    std::this_thread::sleep_for(1s);
    EXPECT_LT(samples - before, 100);
}

} // namespace
} // namespace marlow
