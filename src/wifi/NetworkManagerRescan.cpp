// NetworkManager's D-Bus API over sd-bus; see NetworkManagerRescan.h.
#include "wifi/NetworkManagerRescan.h"

#include <algorithm>
#include <cstdint>
#include <systemd/sd-bus.h>
#include <utility>

namespace marlow::wifi {
namespace {

constexpr const char* Service = "org.freedesktop.NetworkManager";
constexpr const char* ManagerPath = "/org/freedesktop/NetworkManager";
constexpr const char* DeviceInterface = "org.freedesktop.NetworkManager.Device";
constexpr const char* WirelessInterface = "org.freedesktop.NetworkManager.Device.Wireless";
constexpr const char* UnknownDevice = "org.freedesktop.NetworkManager.UnknownDevice";
// NM_DEVICE_TYPE_WIFI among the values of a device's DeviceType.
constexpr std::uint32_t WifiDeviceType = 2;
// A NetworkManager that has not answered by then is hung; the sweep goes on
// without it rather than stalling.
constexpr std::uint64_t CallTimeoutUsec = 5'000'000;

struct BusClose {
    void operator()(sd_bus* bus) const { sd_bus_close_unref(bus); }
};
using Bus = std::unique_ptr<sd_bus, BusClose>;

struct MessageUnref {
    void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

// An sd_bus_error that frees itself.
class BusError {
public:
    BusError() = default;
    ~BusError() { sd_bus_error_free(&m_error); }
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;

    sd_bus_error* get() { return &m_error; }
    bool is(const char* name) const { return sd_bus_error_has_name(&m_error, name) > 0; }

    // "name: message" on one line, or the system's text for the call's
    // negative errno `result` when no D-Bus error came back.
    std::string describe(int result) const {
        if (!sd_bus_error_is_set(&m_error))
            return Error::fromErrno("", -result).message;
        std::string text = m_error.name;
        if (m_error.message && *m_error.message)
            text = text + ": " + m_error.message;
        std::replace_if(
            text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
        return text;
    }

private:
    sd_bus_error m_error{}; // SD_BUS_ERROR_NULL, without its C compound literal
};

class NetworkManagerRescanner final : public Rescanner {
public:
    NetworkManagerRescanner(Bus bus, std::string interfaceName, std::string devicePath)
        : m_bus(std::move(bus)), m_interface(std::move(interfaceName)),
          m_devicePath(std::move(devicePath)) {}

    Result<void> requestRescan() override {
        BusError error;
        const int result =
            sd_bus_call_method(m_bus.get(), Service, m_devicePath.c_str(), WirelessInterface,
                               "RequestScan", error.get(), nullptr, "a{sv}", 0U);
        if (result < 0)
            return fail(Error{"NetworkManager did not start a scan of " + m_interface + ": " +
                              error.describe(result)});
        return {};
    }

private:
    Bus m_bus;
    std::string m_interface;
    std::string m_devicePath;
};

Result<Bus> openBus(const std::string& address, const std::string& where) {
    sd_bus* opened = nullptr;
    int result = 0;
    if (address.empty()) {
        result = sd_bus_open_system(&opened);
    } else {
        result = sd_bus_new(&opened);
        if (result >= 0)
            result = sd_bus_set_address(opened, address.c_str());
        if (result >= 0)
            result = sd_bus_set_bus_client(opened, 1);
        if (result >= 0)
            result = sd_bus_start(opened);
    }
    Bus bus(opened);
    if (result >= 0)
        result = sd_bus_set_method_call_timeout(bus.get(), CallTimeoutUsec);
    if (result < 0)
        return fail(Error::fromErrno("cannot reach the D-Bus " + where, -result));
    return bus;
}

} // namespace

Result<std::unique_ptr<Rescanner>> connectNetworkManager(const std::string& interfaceName,
                                                         const std::string& busAddress) {
    const std::string where = busAddress.empty() ? "system bus" : "bus at " + busAddress;
    Result<Bus> bus = openBus(busAddress, where);
    if (!bus)
        return fail(bus.error());

    // The connection itself is made during the first call, so a bus that
    // refuses us shows here.
    BusError error;
    sd_bus_message* reply = nullptr;
    int result = sd_bus_call_method(bus->get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                    "org.freedesktop.DBus", "NameHasOwner", error.get(), &reply,
                                    "s", Service);
    Message owned(reply);
    int running = 0;
    if (result >= 0)
        result = sd_bus_message_read(reply, "b", &running);
    if (result < 0)
        return fail(Error{"cannot reach the D-Bus " + where + ": " + error.describe(result)});
    if (!running)
        return fail(Error{"NetworkManager is not running (nobody owns " + std::string(Service) +
                          " on the D-Bus " + where + ")"});

    reply = nullptr;
    result = sd_bus_call_method(bus->get(), Service, ManagerPath, Service, "GetDeviceByIpIface",
                                error.get(), &reply, "s", interfaceName.c_str());
    owned.reset(reply);
    const char* path = nullptr;
    if (result >= 0)
        result = sd_bus_message_read(reply, "o", &path);
    if (result < 0 && error.is(UnknownDevice))
        return fail(Error{"NetworkManager manages no device " + interfaceName});
    if (result < 0)
        return fail(Error{"cannot ask NetworkManager for the device " + interfaceName + ": " +
                          error.describe(result)});
    std::string devicePath = path;
    owned.reset();

    std::uint32_t type = 0;
    result = sd_bus_get_property_trivial(bus->get(), Service, devicePath.c_str(), DeviceInterface,
                                         "DeviceType", error.get(), 'u', &type);
    if (result < 0)
        return fail(Error{"cannot ask NetworkManager what " + interfaceName +
                          " is: " + error.describe(result)});
    if (type != WifiDeviceType)
        return fail(Error{interfaceName + " is not a Wi-Fi device (NetworkManager gives it type " +
                          std::to_string(type) + ")"});

    return std::unique_ptr<Rescanner>(std::make_unique<NetworkManagerRescanner>(
        std::move(*bus), interfaceName, std::move(devicePath)));
}

} // namespace marlow::wifi
