// The Wi-Fi adapter a survey listens with, and how it is chosen among the
// wireless interfaces the kernel lists.
#pragma once

#include "base/Result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace marlow::wifi {

// A wireless interface as nl80211 lists it.
struct WifiInterface {
    std::string name;
    std::uint32_t index = 0;
    // The radio (wiphy) the interface belongs to.
    std::uint32_t wiphy = 0;
    // An nl80211_iftype: station, monitor, access point...
    std::uint32_t type = 0;
};

struct Adapter {
    std::string name;
    std::uint32_t index = 0;
    // The kernel driver's name ("iwlwifi"); empty when sysfs shows none.
    std::string driver;
    bool up = false;
};

// The interface named `wanted`, or when it is empty the first that is up
// and can scan (a monitor interface cannot). Whether it is up and its
// driver come from <sysfsRoot>/class/net/<name>. Fails, saying which
// adapters there are, when none fits or the one named is down.
Result<Adapter> pickAdapter(const std::vector<WifiInterface>& interfaces, const std::string& wanted,
                            const std::string& sysfsRoot);

} // namespace marlow::wifi
