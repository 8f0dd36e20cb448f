// A private dbus-daemon for one test, and a fake NetworkManager on it that
// answers what the rescanner asks, from a thread of its own.
#pragma once

#include "TempDir.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <string>
#include <sys/types.h>
#include <systemd/sd-bus.h>
#include <thread>
#include <vector>

namespace marlow::test {

// dbus-daemon with the session bus's policy (anyone may own any name and
// call anything), listening on a socket in a temporary directory; killed
// and reaped when let go.
class PrivateBus {
public:
    static bool installed() { return std::system("command -v dbus-daemon >/dev/null") == 0; }

    // Starts the daemon and waits until it listens; throws when it does not.
    PrivateBus() {
        const std::string command = "exec dbus-daemon --session --nofork --print-address=1 "
                                    "--print-pid=1 --address=unix:path=" +
                                    m_dir.file("bus");
        m_daemon = ::popen(command.c_str(), "re");
        // It prints its address and process id once it listens.
        char address[512];
        if (m_daemon && std::fscanf(m_daemon, "%511s %d", address, &m_pid) == 2) {
            m_address = address;
            return;
        }
        stop();
        throw std::runtime_error("dbus-daemon did not start");
    }
    ~PrivateBus() { stop(); }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    const std::string& address() const { return m_address; }

private:
    void stop() {
        if (m_pid > 0)
            ::kill(m_pid, SIGKILL);
        if (m_daemon)
            ::pclose(m_daemon);
    }

    TempDir m_dir;
    std::FILE* m_daemon = nullptr;
    pid_t m_pid = -1;
    std::string m_address;
};

// NetworkManager's name, GetDeviceByIpIface, each device's DeviceType and
// RequestScan, which it records and, when a refusal names an error, refuses.
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
                       Refusal refusal = {})
        : m_devices(std::move(devices)), m_refusal(std::move(refusal)) {
        if (sd_bus_new(&m_bus) < 0 || sd_bus_set_address(m_bus, address.c_str()) < 0 ||
            sd_bus_set_bus_client(m_bus, 1) < 0 || sd_bus_start(m_bus) < 0 ||
            sd_bus_add_filter(m_bus, nullptr, answer, this) < 0 ||
            sd_bus_request_name(m_bus, Name, 0) < 0) {
            sd_bus_close_unref(m_bus);
            throw std::runtime_error("the fake NetworkManager could not join the bus");
        }
        m_thread = std::thread([this] {
            for (int processed = 0; !m_stop && processed >= 0;)
                if ((processed = sd_bus_process(m_bus, nullptr)) == 0)
                    sd_bus_wait(m_bus, 10'000);
        });
    }
    ~FakeNetworkManager() {
        m_stop = true;
        m_thread.join();
        sd_bus_close_unref(m_bus);
    }
    FakeNetworkManager(const FakeNetworkManager&) = delete;
    FakeNetworkManager& operator=(const FakeNetworkManager&) = delete;

    // The object path of the device at `index` of those given.
    static std::string devicePath(std::size_t index) {
        return "/org/freedesktop/NetworkManager/Devices/" + std::to_string(index + 1);
    }
    // The object paths RequestScan was called on, in order.
    std::vector<std::string> scansRequested() const {
        const std::lock_guard lock(m_mutex);
        return m_scans;
    }

private:
    static constexpr const char* Name = "org.freedesktop.NetworkManager";

    // Every message on the bus comes here first; 1 when answered.
    static int answer(sd_bus_message* call, void* self, sd_bus_error*) {
        return static_cast<FakeNetworkManager*>(self)->answer(call);
    }
    int answer(sd_bus_message* call) {
        const auto answered = [](int sent) { return sent < 0 ? sent : 1; };
        const char* objectPath = sd_bus_message_get_path(call);
        const std::string path = objectPath ? objectPath : "";
        const char* text = "";
        const char* interface = "";
        if (path == "/org/freedesktop/NetworkManager" &&
            sd_bus_message_is_method_call(call, Name, "GetDeviceByIpIface") &&
            sd_bus_message_read(call, "s", &text) > 0) {
            for (std::size_t i = 0; i < m_devices.size(); ++i)
                if (m_devices[i].interface == text)
                    return answered(sd_bus_reply_method_return(call, "o", devicePath(i).c_str()));
            return answered(sd_bus_reply_method_errorf(
                call, "org.freedesktop.NetworkManager.UnknownDevice", "No device found"));
        }
        for (std::size_t i = 0; i < m_devices.size(); ++i) {
            if (path != devicePath(i))
                continue;
            if (sd_bus_message_is_method_call(call, "org.freedesktop.DBus.Properties", "Get") &&
                sd_bus_message_read(call, "ss", &interface, &text) > 0 &&
                std::string(interface) + "." + text ==
                    "org.freedesktop.NetworkManager.Device.DeviceType")
                return answered(sd_bus_reply_method_return(call, "v", "u", m_devices[i].type));
            if (sd_bus_message_is_method_call(
                    call, "org.freedesktop.NetworkManager.Device.Wireless", "RequestScan") &&
                sd_bus_message_has_signature(call, "a{sv}")) {
                const std::lock_guard lock(m_mutex);
                m_scans.push_back(path);
                if (m_refusal.name.empty())
                    return answered(sd_bus_reply_method_return(call, ""));
                return answered(sd_bus_reply_method_errorf(call, m_refusal.name.c_str(), "%s",
                                                           m_refusal.message.c_str()));
            }
        }
        return 0;
    }

    std::vector<Device> m_devices;
    Refusal m_refusal;
    sd_bus* m_bus = nullptr;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_scans;
};

} // namespace marlow::test
