// Reading the effective capabilities; see Capabilities.h.
#include "wifi/Capabilities.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <linux/capability.h>
#include <string>

namespace marlow::wifi {

bool hasEffectiveCapability(std::string_view status, unsigned capability) {
    constexpr std::string_view Label = "\nCapEff:";
    const std::size_t at = status.find(Label);
    if (at == std::string_view::npos || capability >= 64)
        return false;
    std::string_view value = status.substr(at + Label.size());
    value.remove_prefix(std::min(value.find_first_not_of(" \t"), value.size()));
    std::uint64_t set = 0;
    const auto [end, failure] = std::from_chars(value.data(), value.data() + value.size(), set, 16);
    return failure == std::errc() && ((set >> capability) & 1U) != 0;
}

bool holdsNetAdmin() {
    std::ifstream in("/proc/self/status");
    const std::string status((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    return hasEffectiveCapability(status, CAP_NET_ADMIN);
}

} // namespace marlow::wifi
