// The rescanner against a fake NetworkManager on a private bus, which is
// also the system bus while a test runs.
#include "wifi/NetworkManagerRescan.h"

#include "FakeNetworkManager.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace marlow::wifi {
namespace {

using test::FakeNetworkManager;
using test::PrivateBus;

class NetworkManagerRescan : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PrivateBus::installed())
            GTEST_SKIP() << "dbus-daemon is not installed";
        bus.emplace();
        // Set while no other thread runs; the fake's ends with the test.
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", bus->address().c_str(), 1);
    }
    void TearDown() override { ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS"); }

    const std::vector<FakeNetworkManager::Device> devices{{"eth0", 1}, {"wlan0", 2}};
    std::optional<PrivateBus> bus;
};

TEST_F(NetworkManagerRescan, RescansReachTheWirelessDeviceOverTheBusGivenOrTheSystemBus) {
    FakeNetworkManager networkManager(bus->address(), devices);
    for (const std::string& address : {bus->address(), std::string()}) {
        Result<std::unique_ptr<Rescanner>> rescanner = connectNetworkManager("wlan0", address);
        ASSERT_TRUE(rescanner) << rescanner.error().message;
        EXPECT_TRUE((*rescanner)->requestRescan());
    }
    const std::string wlan0 = FakeNetworkManager::devicePath(1);
    EXPECT_EQ(networkManager.scansRequested(), (std::vector<std::string>{wlan0, wlan0}));
}

TEST_F(NetworkManagerRescan, ConnectingFailsSayingWhy) {
    const auto failure = [](const std::string& interface, const std::string& address) {
        const Result<std::unique_ptr<Rescanner>> rescanner =
            connectNetworkManager(interface, address);
        return rescanner ? std::string("connected") : rescanner.error().message;
    };
    EXPECT_EQ(
        failure("wlan0", "unix:path=/nonexistent/bus"),
        "cannot reach the D-Bus bus at unix:path=/nonexistent/bus: No such file or directory");
    EXPECT_EQ(failure("wlan0", "").rfind("NetworkManager is not running", 0), 0U);
    FakeNetworkManager networkManager(bus->address(), devices);
    EXPECT_EQ(failure("wlan9", ""), "NetworkManager manages no device wlan9");
    EXPECT_EQ(failure("eth0", ""), "eth0 is not a Wi-Fi device (NetworkManager gives it type 1)");
}

TEST_F(NetworkManagerRescan, ARefusedScanCarriesNetworkManagersErrorOnOneLine) {
    FakeNetworkManager networkManager(
        bus->address(), devices,
        {"org.freedesktop.NetworkManager.Device.NotAllowed", "Scanning not allowed\nso soon"});
    Result<std::unique_ptr<Rescanner>> rescanner = connectNetworkManager("wlan0");
    ASSERT_TRUE(rescanner) << rescanner.error().message;
    const Result<void> refused = (*rescanner)->requestRescan();
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().message, "NetworkManager did not start a scan of wlan0: "
                                       "org.freedesktop.NetworkManager.Device.NotAllowed: "
                                       "Scanning not allowed so soon");
}

} // namespace
} // namespace marlow::wifi
