// Building the kernel's messages with libnl; see FakeKernel.h.
#include "FakeKernel.h"

#include <filesystem>
#include <fstream>
#include <linux/genetlink.h>
#include <linux/nl80211.h>
#include <netlink/attr.h>
#include <netlink/genl/ctrl.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>
#include <stdexcept>

namespace marlow::wifi::test {
namespace {

// Takes the message's bytes and frees it.
Bytes take(nl_msg* message) {
    const nlmsghdr* header = nlmsg_hdr(message);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(header);
    Bytes copy(bytes, bytes + header->nlmsg_len);
    nlmsg_free(message);
    return copy;
}

nl_msg* genericMessage(std::uint16_t family, std::uint8_t command, int flags = 0) {
    nl_msg* message = nlmsg_alloc();
    if (!message || !genlmsg_put(message, 0, 0, family, 0, flags, command, 0))
        throw std::runtime_error("cannot build a message");
    return message;
}

} // namespace

Bytes familyAnswer(std::vector<std::pair<std::string, std::uint32_t>> groups) {
    nl_msg* message = genericMessage(GENL_ID_CTRL, CTRL_CMD_NEWFAMILY);
    nla_put_string(message, CTRL_ATTR_FAMILY_NAME, "nl80211");
    nla_put_u16(message, CTRL_ATTR_FAMILY_ID, Nl80211Family);
    nlattr* list = nla_nest_start(message, CTRL_ATTR_MCAST_GROUPS);
    int position = 1;
    for (const auto& [name, id] : groups) {
        nlattr* group = nla_nest_start(message, position++);
        nla_put_string(message, CTRL_ATTR_MCAST_GRP_NAME, name.c_str());
        nla_put_u32(message, CTRL_ATTR_MCAST_GRP_ID, id);
        nla_nest_end(message, group);
    }
    nla_nest_end(message, list);
    return take(message);
}

Bytes ack(int error) {
    nl_msg* message = nlmsg_alloc();
    nlmsghdr* header = nlmsg_put(message, 0, 0, NLMSG_ERROR, sizeof(nlmsgerr), 0);
    static_cast<nlmsgerr*>(nlmsg_data(header))->error = error;
    return take(message);
}

Bytes done() {
    nl_msg* message = nlmsg_alloc();
    nlmsghdr* header = nlmsg_put(message, 0, 0, NLMSG_DONE, sizeof(int), NLM_F_MULTI);
    *static_cast<int*>(nlmsg_data(header)) = 0;
    return take(message);
}

Bytes interfaceEntry(const std::string& name, std::uint32_t index, std::uint32_t type,
                     std::uint32_t wiphy) {
    nl_msg* message = genericMessage(Nl80211Family, NL80211_CMD_NEW_INTERFACE, NLM_F_MULTI);
    if (!name.empty()) {
        nla_put_u32(message, NL80211_ATTR_IFINDEX, index);
        nla_put_string(message, NL80211_ATTR_IFNAME, name.c_str());
    }
    nla_put_u32(message, NL80211_ATTR_WIPHY, wiphy);
    nla_put_u32(message, NL80211_ATTR_IFTYPE, type);
    return take(message);
}

Bytes scanEntry(const std::function<void(nl_msg*, nlattr* bss)>& fill) {
    nl_msg* message = genericMessage(Nl80211Family, NL80211_CMD_NEW_SCAN_RESULTS, NLM_F_MULTI);
    nla_put_u32(message, NL80211_ATTR_GENERATION, 7);
    nla_put_u32(message, NL80211_ATTR_IFINDEX, 3);
    nlattr* nest = nla_nest_start(message, NL80211_ATTR_BSS);
    fill(message, nest);
    nla_nest_end(message, nest);
    return take(message);
}

Bytes bssEntry(const BssEntry& bss) {
    return scanEntry([&](nl_msg* message, nlattr*) {
        nla_put(message, NL80211_BSS_BSSID, static_cast<int>(bss.bssid.size()), bss.bssid.data());
        nla_put_u32(message, NL80211_BSS_FREQUENCY, bss.frequencyMhz);
        if (bss.signalMbm)
            nla_put_s32(message, NL80211_BSS_SIGNAL_MBM, *bss.signalMbm);
        if (bss.signalPercent)
            nla_put_u8(message, NL80211_BSS_SIGNAL_UNSPEC, *bss.signalPercent);
        nla_put(message, bss.beaconOnly ? NL80211_BSS_BEACON_IES : NL80211_BSS_INFORMATION_ELEMENTS,
                static_cast<int>(bss.elements.size()), bss.elements.data());
        nla_put_u32(message, NL80211_BSS_SEEN_MS_AGO, bss.ageMs);
    });
}

Bytes notification(std::uint8_t command, std::uint32_t ifindex) {
    nl_msg* message = genericMessage(Nl80211Family, command);
    nla_put_u32(message, NL80211_ATTR_WIPHY, 0);
    nla_put_u32(message, NL80211_ATTR_IFINDEX, ifindex);
    return take(message);
}

Bytes datagram(const std::vector<Bytes>& messages) {
    Bytes joined;
    for (const Bytes& message : messages) {
        joined.insert(joined.end(), message.begin(), message.end());
        joined.resize(NLMSG_ALIGN(joined.size()));
    }
    return joined;
}

void addSysfsInterface(const std::string& root, const std::string& name, bool up,
                       const std::string& driver) {
    const std::filesystem::path interface = std::filesystem::path(root) / "class" / "net" / name;
    std::filesystem::create_directories(interface / "device");
    std::ofstream(interface / "flags") << (up ? "0x1003\n" : "0x1002\n");
    if (!driver.empty())
        std::filesystem::create_symlink("../../../../bus/pci/drivers/" + driver,
                                        interface / "device" / "driver");
}

} // namespace marlow::wifi::test
