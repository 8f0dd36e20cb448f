// Choosing the adapter; see Adapter.h.
#include "wifi/Adapter.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <linux/nl80211.h>
#include <string>
#include <utility>

namespace marlow::wifi {
namespace {

namespace fs = std::filesystem;

// IFF_UP in <net/if.h>, which clashes with <linux/if.h> that nl80211.h
// brings in.
constexpr unsigned long InterfaceUp = 0x1;

// The interface flags sysfs shows as hex ("0x1003").
bool isUp(const fs::path& interface) {
    std::ifstream in(interface / "flags");
    std::string text;
    if (!(in >> text) || !text.starts_with("0x"))
        return false;
    unsigned long flags = 0;
    const auto [end, failure] =
        std::from_chars(text.data() + 2, text.data() + text.size(), flags, 16);
    return failure == std::errc() && (flags & InterfaceUp) != 0;
}

std::string driverOf(const fs::path& interface) {
    std::error_code error;
    const fs::path driver = fs::read_symlink(interface / "device" / "driver", error);
    return error ? std::string() : driver.filename().string();
}

Adapter describe(const WifiInterface& interface, const std::string& sysfsRoot) {
    const fs::path sysfs = fs::path(sysfsRoot) / "class" / "net" / interface.name;
    return {interface.name, interface.index, driverOf(sysfs), isUp(sysfs)};
}

std::string namesOf(const std::vector<WifiInterface>& interfaces) {
    std::string names;
    for (const WifiInterface& interface : interfaces)
        names += (names.empty() ? "" : ", ") + interface.name;
    return names.empty() ? "none" : names;
}

} // namespace

Result<Adapter> pickAdapter(const std::vector<WifiInterface>& interfaces, const std::string& wanted,
                            const std::string& sysfsRoot) {
    for (const WifiInterface& interface : interfaces) {
        if (wanted.empty() ? interface.type == NL80211_IFTYPE_MONITOR : interface.name != wanted)
            continue;
        Adapter adapter = describe(interface, sysfsRoot);
        if (adapter.up)
            return adapter;
        if (!wanted.empty()) {
            std::string message = "the Wi-Fi adapter " + wanted;
            message += " is down (bring it up with: ip link set " + wanted + " up)";
            return fail(Error{std::move(message)});
        }
    }
    const std::string adapters = " (Wi-Fi adapters: " + namesOf(interfaces) + ")";
    if (!wanted.empty())
        return fail(Error{"there is no Wi-Fi adapter " + wanted + adapters});
    return fail(Error{"no Wi-Fi adapter is up" + adapters});
}

} // namespace marlow::wifi
