// Reading the kernel's messages: generic netlink's answer about a family,
// nl80211's interfaces, scan results and notifications, and the status that
// ends an answer. Each takes one message whose length nlmsg_ok() checked
// against its datagram, and reads nothing beyond it; attributes are checked
// against a policy first, so a short or malformed message gives nothing.
#pragma once

#include "wifi/Adapter.h"
#include "wifi/Sweep.h"

#include <cstdint>
#include <optional>

struct nlmsghdr;

namespace marlow::wifi {

struct FamilyInfo {
    std::uint16_t id = 0;
    // Multicast groups; 0 when the family has none of the name.
    std::uint32_t scanGroup = 0;
    std::uint32_t configGroup = 0;
};

// A CTRL_CMD_NEWFAMILY answer, when it holds the family's number.
std::optional<FamilyInfo> readFamily(nlmsghdr& message);

// One entry of an interface dump, when it names an interface (a P2P device
// has none).
std::optional<WifiInterface> readInterface(nlmsghdr& message);

// One entry of a scan dump, when it holds a BSSID, a frequency and a signal.
std::optional<ScannedBss> readBss(nlmsghdr& message);

struct Notification {
    std::uint8_t command = 0;
    // 0 when the notification names no interface.
    std::uint32_t ifindex = 0;
};

// An nl80211 notification (the family's message with sequence number 0).
std::optional<Notification> readNotification(nlmsghdr& message, std::uint16_t family);

// The error number (positive) of an NLMSG_ERROR or NLMSG_DONE, 0 when it
// reports success; nothing when the message is too short to say.
std::optional<int> readStatus(nlmsghdr& message);

} // namespace marlow::wifi
