// What the tests' kernel says: nl80211 and generic netlink messages built
// with libnl, as the kernel would send them, and the sysfs entries of a
// network interface.
#pragma once

#include "protocol/BeaconBuilder.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct nl_msg;
struct nlattr;

namespace marlow::wifi::test {

using Bytes = std::vector<std::uint8_t>;

// The numbers this kernel gives nl80211 and its multicast groups.
constexpr std::uint16_t Nl80211Family = 0x1c;
constexpr std::uint32_t ConfigGroup = 4;
constexpr std::uint32_t ScanGroup = 5;

// The answer to CTRL_CMD_GETFAMILY for nl80211.
Bytes familyAnswer(std::vector<std::pair<std::string, std::uint32_t>> groups = {
                       {"config", ConfigGroup}, {"scan", ScanGroup}, {"mlme", 7}});
// NLMSG_ERROR: an acknowledgement, or the kernel's refusal with -error.
Bytes ack(int error = 0);
// The end of a dump.
Bytes done();
// One entry of an interface dump; an empty name leaves name and index out,
// as for a P2P device.
Bytes interfaceEntry(const std::string& name, std::uint32_t index, std::uint32_t type,
                     std::uint32_t wiphy = 0);

struct BssEntry {
    MacAddress bssid{};
    std::uint32_t frequencyMhz = 2412;
    std::optional<std::int32_t> signalMbm = -5000;
    std::optional<std::uint8_t> signalPercent{};
    Bytes elements{};
    // Elements given as the beacon's only.
    bool beaconOnly = false;
    std::uint32_t ageMs = 0;
};
// One entry of a scan dump.
Bytes bssEntry(const BssEntry& bss);
// An entry of a scan dump whose BSS attributes `fill` puts in the message,
// between the start of NL80211_ATTR_BSS and its end.
Bytes scanEntry(const std::function<void(nl_msg*, nlattr* bss)>& fill);
// A notification about an interface: NL80211_CMD_NEW_SCAN_RESULTS,
// NL80211_CMD_SCAN_ABORTED, NL80211_CMD_DEL_INTERFACE...
Bytes notification(std::uint8_t command, std::uint32_t ifindex);
// Messages one after the other in one datagram.
Bytes datagram(const std::vector<Bytes>& messages);

// <root>/class/net/<name>: its flags, up or down, and when `driver` is not
// empty a device whose driver link ends in it.
void addSysfsInterface(const std::string& root, const std::string& name, bool up,
                       const std::string& driver);

} // namespace marlow::wifi::test
