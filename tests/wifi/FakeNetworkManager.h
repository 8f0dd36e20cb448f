// A private D-Bus daemon for one test, and a fake NetworkManager on it that
// answers what the rescanner asks, served from a thread of the test.
#pragma once

#include "TempDir.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <systemd/sd-bus.h>
#include <thread>
#include <vector>

namespace marlow::test {

// dbus-daemon listening on a socket in a temporary directory; killed and
// reaped when let go.
class PrivateBus {
public:
    // Where dbus-daemon is installed; empty when it is not.
    static std::string findDaemon();

    // Starts the daemon and waits until it listens; throws when it does not.
    explicit PrivateBus(const std::string& daemon);
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const std::string& address() const { return m_address; }

private:
    void stop();

    TempDir m_dir;
    pid_t m_pid = -1;
    std::string m_address;
};

// NetworkManager's name, GetDeviceByIpIface, each device's DeviceType and a
// Wi-Fi device's RequestScan, which it counts and may refuse.
class FakeNetworkManager {
public:
    struct Device {
        std::string interface;
        std::uint32_t type = 0;
    };
    struct Refusal {
        std::string name;
        std::string message;
    };

    // Owns the name on the bus before it returns; throws when it cannot.
    FakeNetworkManager(const std::string& address, std::vector<Device> devices,
                       std::optional<Refusal> refusal = {});
    ~FakeNetworkManager();
    FakeNetworkManager(const FakeNetworkManager&) = delete;
    FakeNetworkManager& operator=(const FakeNetworkManager&) = delete;

    // The object path of the device at `index` of those given.
    static std::string devicePath(std::size_t index);
    // The object paths RequestScan was called on, in order.
    std::vector<std::string> scansRequested() const;

private:
    struct Object {
        FakeNetworkManager* owner;
        std::string path;
        Device device;
    };
    static int getDeviceByIpIface(sd_bus_message* call, void* self, sd_bus_error* error);
    static int deviceType(sd_bus* bus, const char* path, const char* interface,
                          const char* property, sd_bus_message* reply, void* object,
                          sd_bus_error* error);
    static int requestScan(sd_bus_message* call, void* object, sd_bus_error* error);
    void serve();

    std::vector<Object> m_objects;
    std::optional<Refusal> m_refusal;
    sd_bus* m_bus = nullptr;
    int m_stop = -1; // an eventfd that ends serve()
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_scans;
};

} // namespace marlow::test
