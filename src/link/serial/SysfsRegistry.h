// The driver registry on Linux: the terminal devices in sysfs that have
// hardware behind them, numbered in name order, each with a "PnpId" (the USB
// maker and product strings, else the driver's name) and a "Name" (its /dev
// path).
#pragma once

#include "DriverRegistry.h"

#include <optional>
#include <string>
#include <vector>

namespace marlow {

class SysfsRegistry final : public DriverRegistry {
public:
    struct Entry {
        std::optional<std::string> pnpId;
        std::string name;
    };

    // Reads <sysfsRoot>/class/tty once, now.
    explicit SysfsRegistry(const std::string& sysfsRoot = "/sys");

    std::optional<std::string> readString(const std::string& key,
                                          const std::string& valueName) const override;
    // Entry i is the key "Drivers\Active\i".
    const std::vector<Entry>& entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
};

} // namespace marlow
