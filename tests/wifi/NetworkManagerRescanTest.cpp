#include "wifi/NetworkManagerRescan.h"

#include "FakeNetworkManager.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace marlow::wifi {
namespace {

using test::FakeNetworkManager;
using test::PrivateBus;

constexpr std::uint32_t Ethernet = 1;
constexpr std::uint32_t Wifi = 2;

class NetworkManagerRescan : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string daemon = PrivateBus::findDaemon();
        if (daemon.empty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        bus.emplace(daemon);
    }

    // eth0 and wlan0, as NetworkManager lists them.
    std::vector<FakeNetworkManager::Device> devices() const {
        return {{"eth0", Ethernet}, {"wlan0", Wifi}};
    }

    std::optional<PrivateBus> bus;
};

TEST_F(NetworkManagerRescan, RescanReachesTheWirelessDevice) {
    FakeNetworkManager networkManager(bus->address(), devices());
    Result<std::unique_ptr<Rescanner>> rescanner = connectNetworkManager("wlan0", bus->address());
    ASSERT_TRUE(rescanner) << rescanner.error().message;
    EXPECT_TRUE((*rescanner)->requestRescan());
    EXPECT_TRUE((*rescanner)->requestRescan());
    const std::string wlan0 = FakeNetworkManager::devicePath(1);
    EXPECT_EQ(networkManager.scansRequested(), (std::vector<std::string>{wlan0, wlan0}));
}

TEST_F(NetworkManagerRescan, SystemBusIsTheDefault) {
    // Set before the fake's thread starts and cleared after it ends.
    struct SystemBusAt {
        explicit SystemBusAt(const std::string& address) {
            ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
        }
        ~SystemBusAt() { ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS"); }
    } systemBus(bus->address());
    FakeNetworkManager networkManager(bus->address(), devices());
    Result<std::unique_ptr<Rescanner>> rescanner = connectNetworkManager("wlan0");
    ASSERT_TRUE(rescanner) << rescanner.error().message;
    EXPECT_TRUE((*rescanner)->requestRescan());
    EXPECT_EQ(networkManager.scansRequested().size(), 1U);
}

TEST_F(NetworkManagerRescan, OnlyAWifiDeviceItKnowsIsAccepted) {
    FakeNetworkManager networkManager(bus->address(), devices());
    Result<std::unique_ptr<Rescanner>> unknown = connectNetworkManager("wlan9", bus->address());
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error().message, "NetworkManager manages no device wlan9");
    Result<std::unique_ptr<Rescanner>> wired = connectNetworkManager("eth0", bus->address());
    ASSERT_FALSE(wired);
    EXPECT_EQ(wired.error().message, "eth0 is not a Wi-Fi device (NetworkManager gives it type 1)");
}

TEST_F(NetworkManagerRescan, RefusedScanCarriesNetworkManagersErrorOnOneLine) {
    FakeNetworkManager networkManager(
        bus->address(), devices(),
        FakeNetworkManager::Refusal{"org.freedesktop.NetworkManager.Device.NotAllowed",
                                    "Scanning not allowed\nimmediately following previous scan"});
    Result<std::unique_ptr<Rescanner>> rescanner = connectNetworkManager("wlan0", bus->address());
    ASSERT_TRUE(rescanner) << rescanner.error().message;
    const Result<void> refused = (*rescanner)->requestRescan();
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().message, "NetworkManager did not start a scan of wlan0: "
                                       "org.freedesktop.NetworkManager.Device.NotAllowed: "
                                       "Scanning not allowed immediately following previous scan");
    EXPECT_EQ(networkManager.scansRequested().size(), 1U);
}

TEST_F(NetworkManagerRescan, FailsWhenNetworkManagerIsNotRunning) {
    Result<std::unique_ptr<Rescanner>> rescanner = connectNetworkManager("wlan0", bus->address());
    ASSERT_FALSE(rescanner);
    EXPECT_EQ(rescanner.error().message.rfind("NetworkManager is not running", 0), 0U)
        << rescanner.error().message;
}

TEST(NetworkManagerRescanBus, FailsWhenTheBusIsUnreachable) {
    test::TempDir dir;
    const std::string address = "unix:path=" + dir.file("no-bus");
    Result<std::unique_ptr<Rescanner>> rescanner = connectNetworkManager("wlan0", address);
    ASSERT_FALSE(rescanner);
    EXPECT_EQ(rescanner.error().message,
              "cannot reach the D-Bus bus at " + address + ": No such file or directory");
}

} // namespace
} // namespace marlow::wifi
