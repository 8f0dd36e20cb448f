// Someone who can ask the adapter for a fresh scan on our behalf when we
// may not ask the kernel ourselves (NetworkManager, over D-Bus).
#pragma once

#include "base/Result.h"

#include <string>

namespace marlow::wifi {

class Rescanner {
public:
    virtual ~Rescanner() = default;
    // Asks for one scan of the adapter; returns once the request is
    // accepted or refused, not when the scan ends.
    virtual Result<void> requestRescan() = 0;
};

} // namespace marlow::wifi
