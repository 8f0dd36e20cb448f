// The Linux driver registry over a fake sysfs tree: which terminals count as
// hardware, their order, and where "PnpId" comes from.
#include "link/serial/SysfsRegistry.h"

#include "TempDir.h"
#include "link/serial/PortDiscovery.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace marlow {
namespace {

namespace fs = std::filesystem;

class FakeSysfs {
public:
    explicit FakeSysfs(const std::string& root) : m_root(root) {}

    void file(const std::string& path, const std::string& text) {
        fs::create_directories((m_root / path).parent_path());
        std::ofstream(m_root / path) << text << "\n";
    }
    void link(const std::string& path, const std::string& target) {
        fs::create_directories((m_root / path).parent_path());
        fs::create_symlink(target, m_root / path);
    }
    // A tty class entry whose device is `devicePath` (relative to the root).
    void tty(const std::string& name, const std::string& devicePath) {
        fs::create_directories(m_root / devicePath);
        link("class/tty/" + name + "/device", (m_root / devicePath).string());
    }

private:
    fs::path m_root;
};

constexpr const char* UsbDevice = "devices/pci0000:00/0000:00:14.0/usb1/1-2";

TEST(SysfsRegistry, ListsTerminalsWithHardwareInNameOrder) {
    test::TempDir dir;
    FakeSysfs sysfs(dir.path());
    // A USB adapter: maker and product two levels above the port device.
    sysfs.file(std::string(UsbDevice) + "/manufacturer", "Quatech");
    sysfs.file(std::string(UsbDevice) + "/product", "SSU-100");
    sysfs.tty("ttyUSB0", std::string(UsbDevice) + "/1-2:1.0/ttyUSB0");
    sysfs.link(std::string(UsbDevice) + "/1-2:1.0/ttyUSB0/driver",
               "../../../../../../bus/usb-serial/drivers/ftdi_sio");
    // A modem reached through a class symlink, product string only.
    sysfs.file("devices/usb2/2-1/product", "Socket Modem");
    fs::create_directories(dir.path() + "/devices/usb2/2-1/2-1:1.0/tty/ttyACM0");
    sysfs.link("devices/usb2/2-1/2-1:1.0/tty/ttyACM0/device", "../..");
    sysfs.link("class/tty/ttyACM0", "../../devices/usb2/2-1/2-1:1.0/tty/ttyACM0");
    // An on-board UART found by its driver, and one legacy port without a UART.
    sysfs.tty("ttyS0", "devices/pnp0/00:05");
    sysfs.file("class/tty/ttyS0/type", "4");
    sysfs.link("devices/pnp0/00:05/driver", "../../../bus/pnp/drivers/serial");
    sysfs.tty("ttyS1", "devices/platform/serial8250");
    sysfs.file("class/tty/ttyS1/type", "0");
    // Virtual terminals, a dangling device link, a device without any name.
    sysfs.file("class/tty/tty0/dev", "4:0");
    sysfs.file("class/tty/ptmx/dev", "5:2");
    sysfs.link("class/tty/ttyS2/device", "../../../devices/gone");
    sysfs.tty("ttyX9", "devices/virtual/x9");

    const SysfsRegistry registry(dir.path());
    ASSERT_EQ(registry.entries().size(), 4u);
    const std::vector<std::pair<std::optional<std::string>, std::string>> expected = {
        {"Socket Modem", "/dev/ttyACM0"},
        {"serial", "/dev/ttyS0"},
        {"Quatech SSU-100", "/dev/ttyUSB0"},
        {std::nullopt, "/dev/ttyX9"},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string key = activeDriverKey(static_cast<int>(i));
        EXPECT_EQ(registry.readString(key, "PnpId"), expected[i].first) << key;
        EXPECT_EQ(registry.readString(key, "Name"), expected[i].second) << key;
    }
    EXPECT_EQ(registry.readString(activeDriverKey(4), "Name"), std::nullopt);
    EXPECT_EQ(registry.readString(activeDriverKey(0), "Driver"), std::nullopt);
    EXPECT_EQ(registry.readString("Drivers\\Active\\x", "Name"), std::nullopt);
    EXPECT_EQ(registry.readString("Drivers\\Other\\00", "Name"), std::nullopt);
    // The Quatech adapter wins over the earlier Socket modem.
    EXPECT_EQ(discoverPort(registry), "/dev/ttyUSB0");
}

TEST(SysfsRegistry, MissingTreeGivesTheFallback) {
    test::TempDir dir;
    const SysfsRegistry registry(dir.file("absent"));
    EXPECT_TRUE(registry.entries().empty());
    EXPECT_EQ(devicePathForPort(discoverPort(registry)), "/dev/ttyS0");
}

} // namespace
} // namespace marlow
