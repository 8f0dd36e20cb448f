// Finding and opening the board's device: port discovery over a registry in
// memory and over a fake sysfs tree, the termios port on a pseudo-terminal,
// and the link's start-up and stop through LinkSession.
#include "TempDir.h"
#include "link/serial/LinkSession.h"
#include "link/serial/PortDiscovery.h"
#include "link/serial/PosixSerialStream.h"
#include "link/serial/SysfsRegistry.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace marlow {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ByteVector = std::vector<std::uint8_t>;

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

private:
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
    // Up to `count` bytes, stopping early after 20 s of silence.
    ByteVector read(std::size_t count) {
        ByteVector bytes;
        while (bytes.size() < count) {
            pollfd ready{master, POLLIN, 0};
            std::uint8_t byte = 0;
            if (::poll(&ready, 1, 20000) <= 0 || ::read(master, &byte, 1) != 1)
                break;
            bytes.push_back(byte);
        }
        return bytes;
    }
    int master = -1;
    int slave = -1;
    std::string path;
};

struct MessageLog final : LinkMessages {
    void showError(const char* text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

TEST(PortDiscovery, FindsThePortOfTheAdapter) {
    const std::vector<std::tuple<const char*, std::vector<Entry>, const char*>> cases = {
        {"empty registry", {}, "COM1:"},
        {"first pass wins over key order",
         {{3, "Socket CF serial", "COM3:"}, {7, "Quatech SSP-100", "COM7:"}},
         "COM7:"},
        {"last key of the first pass", {{50, "Quatech", "COM5:"}}, "COM5:"},
        {"first pass stops at key 50", {{51, "Quatech", "COM5:"}}, "COM1:"},
        {"last key of the second pass", {{40, "Socket", "COM4:"}}, "COM4:"},
        {"second pass stops at key 40", {{41, "Socket", "COM4:"}}, "COM1:"},
        {"prefix case is exact", {{2, "quatech SSP", "COM2:"}, {3, "SOCKET", "COM3:"}}, "COM1:"},
        {"prefix must be whole", {{2, "Quatec", "COM2:"}, {3, "Sock", "COM3:"}}, "COM1:"},
        {"key without Name is passed over",
         {{2, "Quatech A", nullptr}, {5, "Quatech B", "COM5:"}},
         "COM5:"},
        {"no Name in the first pass: second pass",
         {{2, "Quatech A", nullptr}, {4, "Socket B", "COM4:"}},
         "COM4:"},
        {"earliest key of a pass", {{9, "Socket 2", "COM9:"}, {8, "Socket 1", "COM8:"}}, "COM8:"},
    };
    for (const auto& [what, entries, port] : cases)
        EXPECT_EQ(discoverPort(FakeRegistry(entries)), port) << what;
    EXPECT_EQ(activeDriverKey(7), "Drivers\\Active\\07");
}

TEST(SysfsRegistry, ListsTerminalsWithHardwareInNameOrder) {
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
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Socket Modem", "/dev/ttyACM0"},
        {"serial", "/dev/ttyS0"},
        {"Quatech SSU-100", "/dev/ttyUSB0"},
    };
    ASSERT_EQ(registry.entries().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string key = activeDriverKey(static_cast<int>(i));
        EXPECT_EQ(registry.readString(key, "PnpId"), expected[i].first) << key;
        EXPECT_EQ(registry.readString(key, "Name"), expected[i].second) << key;
    }
    EXPECT_EQ(registry.readString(activeDriverKey(3), "Name"), std::nullopt);
    // The Quatech adapter wins over the earlier Socket modem.
    EXPECT_EQ(discoverPort(registry), "/dev/ttyUSB0");
    // No tree at all: the fallback port, COM1: being the first serial device.
    EXPECT_EQ(devicePathForPort(discoverPort(SysfsRegistry(dir.file("absent")))), "/dev/ttyS0");
    EXPECT_EQ(devicePathForPort("COM3:"), "/dev/ttyS2");
}

TEST(PosixSerialStream, ConfiguresTheLineAndMovesBytes) {
    PseudoTerminal board;
    MessageLog log;
    auto port = PosixSerialStream::open(board.path, log);
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(log.texts.empty());

    termios settings{};
    ASSERT_EQ(::tcgetattr(board.slave, &settings), 0);
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
    ASSERT_EQ(::write(board.master, all.data(), all.size()), 256);
    for (const std::uint8_t expected : all) {
        const ReadResult got = port->readByte(20s);
        ASSERT_EQ(got.status, ReadStatus::Byte);
        ASSERT_EQ(got.byte, expected);
    }
    EXPECT_EQ(port->readByte(10ms).status, ReadStatus::TimedOut);

    // Purging drops what has arrived but not been read.
    ASSERT_EQ(::write(board.master, all.data(), 3), 3);
    pollfd queued{board.slave, POLLIN, 0};
    ASSERT_EQ(::poll(&queued, 1, 20000), 1);
    port->purge();
    EXPECT_EQ(port->readByte(50ms).status, ReadStatus::TimedOut);

    // The board goes away: the read fails instead of timing out.
    ::close(std::exchange(board.master, -1));
    EXPECT_EQ(port->readByte(10s).status, ReadStatus::Failed);
}

TEST(LinkSession, StartsFoundOrNamedPortAsksForFirmwareAndStops) {
    struct : LinkEvents {
        void notifyDraw() override {}
        void warnLowBattery() override {}
    } events;
    struct : SecondsClock {
        std::int64_t nowSeconds() override { return 5; } // no keep-alive
    } clock;
    SharedRecordList scans;
    MessageLog log;
    int repaints = 0;
    for (const bool named : {false, true}) {
        PseudoTerminal board;
        const FakeRegistry registry(
            {{12, "Quatech SSU-100", named ? "/dev/marlow-not-this-one" : board.path.c_str()}});
        LinkSession session(events, scans, log, clock);
        session.start(registry, {named ? board.path : "", 10ms}, [&] { ++repaints; });
        ASSERT_TRUE(session.portOpen());
        EXPECT_EQ(repaints, named ? 2 : 1);
        EXPECT_EQ(board.read(5), (ByteVector{0x11, 0x12, 0x01, 0x11, 0x13}));
        session.stop();
        EXPECT_FALSE(session.portOpen());
        EXPECT_EQ(session.link().requestFirmwareVersion(), 0);
    }
    EXPECT_TRUE(log.texts.empty());

    // Without a usable port the user is told why, and the link runs on.
    for (const char* device : {"/dev/marlow-no-such-port", "/dev/null"}) {
        LinkSession session(events, scans, log, clock);
        session.start(FakeRegistry({{0, "Quatech", device}}), {"", 10ms}, [&] { ++repaints; });
        EXPECT_FALSE(session.portOpen());
        EXPECT_EQ(session.link().requestFirmwareVersion(), 1);
    }
    EXPECT_EQ(repaints, 4);
    EXPECT_EQ(log.texts, (std::vector<std::string>{"Cannot Open Connection To Board.",
                                                   "Could not SetCommState"}));
}

} // namespace
} // namespace marlow
