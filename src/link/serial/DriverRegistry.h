// The device registry as port discovery sees it: keys named
// "Drivers\Active\NN" that hold string values such as "PnpId" and "Name".
#pragma once

#include <optional>
#include <string>

namespace marlow {

class DriverRegistry {
public:
    virtual ~DriverRegistry() = default;
    // The string value `valueName` of `key`; nothing when the key or the
    // value does not exist.
    virtual std::optional<std::string> readString(const std::string& key,
                                                  const std::string& valueName) const = 0;
};

} // namespace marlow
