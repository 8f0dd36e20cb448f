// Whether this process may ask the kernel for scans itself: an nl80211
// scan request needs CAP_NET_ADMIN (root, or `setcap cap_net_admin+ep` on
// the program).
#pragma once

#include <string_view>

namespace marlow::wifi {

// Whether the effective set ("CapEff:", hex) in the text of a
// /proc/<pid>/status file holds the capability numbered `capability`.
bool hasEffectiveCapability(std::string_view status, unsigned capability);

// CAP_NET_ADMIN, from /proc/self/status; false when that cannot be read.
bool holdsNetAdmin();

} // namespace marlow::wifi
