// Port discovery in two passes over the active driver keys, and the mapping
// of the old port names to device paths.
#include "PortDiscovery.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <string_view>

namespace marlow {
namespace {

struct Pass {
    std::string_view pnpPrefix;
    int lastKey;
};

// The first pass that finds an adapter wins, whatever the key numbers.
constexpr std::array<Pass, 2> Passes{{{"Quatech", 50}, {"Socket", 40}}};

} // namespace

std::string activeDriverKey(int number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", number);
    return ActiveDriverPrefix + std::string(digits);
}

std::string discoverPort(const DriverRegistry& registry) {
    for (const Pass& pass : Passes) {
        for (int number = 0; number <= pass.lastKey; ++number) {
            const std::string key = activeDriverKey(number);
            const auto pnpId = registry.readString(key, "PnpId");
            if (!pnpId || !pnpId->starts_with(pass.pnpPrefix))
                continue;
            if (auto name = registry.readString(key, "Name"))
                return *name;
        }
    }
    return DefaultPortName;
}

std::string devicePathForPort(const std::string& portName) {
    const std::string_view name(portName);
    if (name.size() < 5 || !name.starts_with("COM") || !name.ends_with(":"))
        return portName;
    const std::string_view digits = name.substr(3, name.size() - 4);
    int number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size() || number < 1)
        return portName;
    return "/dev/ttyS" + std::to_string(number - 1);
}

} // namespace marlow
