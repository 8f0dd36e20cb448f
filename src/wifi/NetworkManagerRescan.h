// Asking NetworkManager to scan on our behalf over D-Bus, for when we may
// not ask the kernel ourselves (no CAP_NET_ADMIN).
#pragma once

#include "base/Result.h"
#include "wifi/Rescanner.h"

#include <memory>
#include <string>

namespace marlow::wifi {

// Connects to NetworkManager on the system bus, or on the bus at busAddress
// ("unix:path=...") when one is given, and finds the Wi-Fi device it
// manages as interfaceName ("wlan0"). Fails with one line that says why when
// the bus cannot be reached, NetworkManager is not running, or it has no
// such device or the device is not Wi-Fi.
//
// The rescanner owns its bus connection, which is not thread-safe: use it
// from one thread at a time (the scanning thread). No call waits longer than
// five seconds for an answer. A refused scan fails with NetworkManager's
// error name and message.
Result<std::unique_ptr<Rescanner>> connectNetworkManager(const std::string& interfaceName,
                                                         const std::string& busAddress = {});

} // namespace marlow::wifi
