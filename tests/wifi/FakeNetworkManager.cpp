#include "FakeNetworkManager.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace marlow::test {
namespace {

constexpr const char* NetworkManager = "org.freedesktop.NetworkManager";
constexpr const char* ManagerPath = "/org/freedesktop/NetworkManager";
// NM_DEVICE_TYPE_WIFI: devices of this type also answer RequestScan.
constexpr std::uint32_t WifiType = 2;
// Far longer than dbus-daemon takes to start; only a broken one waits it out.
constexpr int StartMs = 5000;

// Lets anyone on the bus own any name and call anything.
std::string config(const std::string& socket) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <listen>unix:path=" +
           socket +
           "</listen>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

// Reads a line of the daemon's output: the address it listens on.
std::string readAddress(int fd) {
    std::string text;
    std::array<char, 256> buffer{};
    pollfd readable{fd, POLLIN, 0};
    while (text.find('\n') == std::string::npos) {
        if (::poll(&readable, 1, StartMs) <= 0)
            return {};
        const ssize_t count = ::read(fd, buffer.data(), buffer.size());
        if (count <= 0)
            return {};
        text.append(buffer.data(), std::size_t(count));
    }
    text.resize(text.find('\n'));
    return text;
}

} // namespace

std::string PrivateBus::findDaemon() {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        if (std::string daemon = dir + "/dbus-daemon"; ::access(daemon.c_str(), X_OK) == 0)
            return daemon;
    }
    return {};
}

PrivateBus::PrivateBus(const std::string& daemon) {
    const std::string configFile = m_dir.file("bus.conf");
    std::ofstream(configFile) << config(m_dir.file("bus"));

    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2 failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    std::vector<std::string> args{daemon, "--nofork", "--print-address",
                                  "--config-file=" + configFile};
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&m_pid, daemon.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    if (m_pid > 0)
        m_address = readAddress(output[0]);
    ::close(output[0]);
    if (m_address.empty()) {
        stop();
        throw std::runtime_error("dbus-daemon did not start");
    }
}

PrivateBus::~PrivateBus() {
    stop();
}

void PrivateBus::stop() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(std::exchange(m_pid, -1), nullptr, 0);
    }
}

FakeNetworkManager::FakeNetworkManager(const std::string& address, std::vector<Device> devices,
                                       std::optional<Refusal> refusal)
    : m_refusal(std::move(refusal)) {
    for (std::size_t i = 0; i < devices.size(); ++i)
        m_objects.push_back({this, devicePath(i), std::move(devices[i])});

    static const sd_bus_vtable managerVtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("GetDeviceByIpIface", "s", "o", getDeviceByIpIface, 0),
        SD_BUS_VTABLE_END,
    };
    static const sd_bus_vtable deviceVtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("DeviceType", "u", deviceType, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_VTABLE_END,
    };
    static const sd_bus_vtable wirelessVtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("RequestScan", "a{sv}", "", requestScan, 0),
        SD_BUS_VTABLE_END,
    };
    int result = sd_bus_new(&m_bus);
    if (result >= 0)
        result = sd_bus_set_address(m_bus, address.c_str());
    if (result >= 0)
        result = sd_bus_set_bus_client(m_bus, 1);
    if (result >= 0)
        result = sd_bus_start(m_bus);
    if (result >= 0)
        result = sd_bus_add_object_vtable(m_bus, nullptr, ManagerPath, NetworkManager,
                                          managerVtable, this);
    for (Object& object : m_objects) {
        if (result >= 0)
            result = sd_bus_add_object_vtable(m_bus, nullptr, object.path.c_str(),
                                              "org.freedesktop.NetworkManager.Device", deviceVtable,
                                              &object);
        if (result >= 0 && object.device.type == WifiType)
            result = sd_bus_add_object_vtable(m_bus, nullptr, object.path.c_str(),
                                              "org.freedesktop.NetworkManager.Device.Wireless",
                                              wirelessVtable, &object);
    }
    if (result >= 0)
        result = sd_bus_request_name(m_bus, NetworkManager, 0);
    if (result >= 0)
        result = m_stop = ::eventfd(0, EFD_CLOEXEC);
    if (result < 0) {
        sd_bus_close_unref(m_bus);
        throw std::runtime_error("the fake NetworkManager could not join the bus");
    }
    m_thread = std::thread([this] { serve(); });
}

FakeNetworkManager::~FakeNetworkManager() {
    const std::uint64_t one = 1;
    if (::write(m_stop, &one, sizeof one) != sizeof one)
        std::abort(); // serve() would never end
    m_thread.join();
    ::close(m_stop);
    sd_bus_close_unref(m_bus);
}

std::string FakeNetworkManager::devicePath(std::size_t index) {
    return std::string(ManagerPath) + "/Devices/" + std::to_string(index + 1);
}

std::vector<std::string> FakeNetworkManager::scansRequested() const {
    const std::lock_guard lock(m_mutex);
    return m_scans;
}

int FakeNetworkManager::getDeviceByIpIface(sd_bus_message* call, void* self, sd_bus_error* error) {
    const char* interface = nullptr;
    if (const int result = sd_bus_message_read(call, "s", &interface); result < 0)
        return result;
    for (const Object& object : static_cast<FakeNetworkManager*>(self)->m_objects) {
        if (object.device.interface == interface)
            return sd_bus_reply_method_return(call, "o", object.path.c_str());
    }
    return sd_bus_error_set(error, "org.freedesktop.NetworkManager.UnknownDevice",
                            "No device found for the requested iface.");
}

int FakeNetworkManager::deviceType(sd_bus*, const char*, const char*, const char*,
                                   sd_bus_message* reply, void* object, sd_bus_error*) {
    return sd_bus_message_append(reply, "u", static_cast<Object*>(object)->device.type);
}

int FakeNetworkManager::requestScan(sd_bus_message* call, void* object, sd_bus_error* error) {
    FakeNetworkManager& self = *static_cast<Object*>(object)->owner;
    {
        const std::lock_guard lock(self.m_mutex);
        self.m_scans.emplace_back(sd_bus_message_get_path(call));
    }
    if (self.m_refusal)
        return sd_bus_error_set(error, self.m_refusal->name.c_str(),
                                self.m_refusal->message.c_str());
    return sd_bus_reply_method_return(call, "");
}

// Answers calls until the destructor writes to m_stop.
void FakeNetworkManager::serve() {
    while (true) {
        const int processed = sd_bus_process(m_bus, nullptr);
        if (processed < 0)
            return;
        if (processed > 0)
            continue;
        std::array<pollfd, 2> ready{
            {{sd_bus_get_fd(m_bus), short(sd_bus_get_events(m_bus)), 0}, {m_stop, POLLIN, 0}}};
        if (::poll(ready.data(), ready.size(), -1) < 0 && errno != EINTR)
            return;
        if (ready[1].revents)
            return;
    }
}

} // namespace marlow::test
