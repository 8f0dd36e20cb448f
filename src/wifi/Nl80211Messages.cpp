// Parsing the kernel's messages with libnl; see Nl80211Messages.h.
#include "wifi/Nl80211Messages.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <linux/nl80211.h>
#include <netlink/attr.h>
#include <netlink/genl/ctrl.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>
#include <string_view>
#include <utility>

namespace marlow::wifi {
namespace {

// The largest error number the kernel reports.
constexpr int MaxErrno = 4095;

// A policy for attributes numbered up to Max: those listed are checked as
// their types say (an integer's length, a string's terminating NUL), the
// rest are read as bytes or not at all.
template <int Max>
std::array<nla_policy, Max + 1> policy(std::initializer_list<std::pair<int, std::uint16_t>> types) {
    std::array<nla_policy, Max + 1> checks{};
    for (const auto& [attribute, type] : types)
        checks.at(static_cast<std::size_t>(attribute)).type = type;
    return checks;
}

template <int Max> using Attributes = std::array<nlattr*, Max + 1>;

// The message's attributes after its generic netlink header; false when the
// header or an attribute the policy names is malformed.
template <std::size_t N>
bool parse(nlmsghdr& message, std::array<nlattr*, N>& attributes,
           const std::array<nla_policy, N>& checks) {
    return genlmsg_parse(&message, 0, attributes.data(), N - 1, checks.data()) == 0;
}

template <std::size_t N>
bool parseNested(nlattr* nest, std::array<nlattr*, N>& attributes,
                 const std::array<nla_policy, N>& checks) {
    return nla_parse_nested(attributes.data(), N - 1, nest, checks.data()) == 0;
}

std::uint8_t commandOf(nlmsghdr& message) {
    return static_cast<const genlmsghdr*>(nlmsg_data(&message))->cmd;
}

// Some drivers report signal strength only as a percentage. Taking 0 % as
// -100 dBm and 100 % as -50 dBm (dBm = pct / 2 - 100) keeps such adapters'
// readings on the scale the rest use, in hundredths of a dBm.
std::int32_t percentToMbm(std::uint8_t percent) {
    return static_cast<std::int32_t>(std::min<std::uint8_t>(percent, 100)) * 50 - 10000;
}

std::vector<std::uint8_t> bytesOf(const nlattr* attribute) {
    const auto* data = static_cast<const std::uint8_t*>(nla_data(attribute));
    return {data, data + nla_len(attribute)};
}

} // namespace

std::optional<FamilyInfo> readFamily(nlmsghdr& message) {
    static const auto checks = policy<CTRL_ATTR_MAX>(
        {{CTRL_ATTR_FAMILY_ID, NLA_U16}, {CTRL_ATTR_MCAST_GROUPS, NLA_NESTED}});
    static const auto groupChecks = policy<CTRL_ATTR_MCAST_GRP_MAX>(
        {{CTRL_ATTR_MCAST_GRP_NAME, NLA_STRING}, {CTRL_ATTR_MCAST_GRP_ID, NLA_U32}});
    Attributes<CTRL_ATTR_MAX> attributes{};
    if (!parse(message, attributes, checks) || !attributes[CTRL_ATTR_FAMILY_ID])
        return std::nullopt;
    FamilyInfo family;
    family.id = nla_get_u16(attributes[CTRL_ATTR_FAMILY_ID]);
    if (!attributes[CTRL_ATTR_MCAST_GROUPS])
        return family;
    nlattr* group = nullptr;
    int remaining = 0;
    nla_for_each_nested(group, attributes[CTRL_ATTR_MCAST_GROUPS], remaining) {
        Attributes<CTRL_ATTR_MCAST_GRP_MAX> fields{};
        if (!parseNested(group, fields, groupChecks) || !fields[CTRL_ATTR_MCAST_GRP_NAME] ||
            !fields[CTRL_ATTR_MCAST_GRP_ID])
            continue;
        const std::string_view name = nla_get_string(fields[CTRL_ATTR_MCAST_GRP_NAME]);
        const std::uint32_t id = nla_get_u32(fields[CTRL_ATTR_MCAST_GRP_ID]);
        if (name == NL80211_MULTICAST_GROUP_SCAN)
            family.scanGroup = id;
        else if (name == NL80211_MULTICAST_GROUP_CONFIG)
            family.configGroup = id;
    }
    return family;
}

std::optional<WifiInterface> readInterface(nlmsghdr& message) {
    static const auto checks = policy<NL80211_ATTR_MAX>({{NL80211_ATTR_IFINDEX, NLA_U32},
                                                         {NL80211_ATTR_IFNAME, NLA_STRING},
                                                         {NL80211_ATTR_WIPHY, NLA_U32},
                                                         {NL80211_ATTR_IFTYPE, NLA_U32}});
    Attributes<NL80211_ATTR_MAX> attributes{};
    if (!parse(message, attributes, checks) || !attributes[NL80211_ATTR_IFINDEX] ||
        !attributes[NL80211_ATTR_IFNAME])
        return std::nullopt;
    WifiInterface interface;
    interface.name = nla_get_string(attributes[NL80211_ATTR_IFNAME]);
    interface.index = nla_get_u32(attributes[NL80211_ATTR_IFINDEX]);
    if (attributes[NL80211_ATTR_WIPHY])
        interface.wiphy = nla_get_u32(attributes[NL80211_ATTR_WIPHY]);
    if (attributes[NL80211_ATTR_IFTYPE])
        interface.type = nla_get_u32(attributes[NL80211_ATTR_IFTYPE]);
    return interface;
}

std::optional<ScannedBss> readBss(nlmsghdr& message) {
    static const auto checks = policy<NL80211_ATTR_MAX>({{NL80211_ATTR_BSS, NLA_NESTED}});
    static const auto bssChecks = [] {
        auto bss = policy<NL80211_BSS_MAX>({{NL80211_BSS_FREQUENCY, NLA_U32},
                                            {NL80211_BSS_SIGNAL_MBM, NLA_U32},
                                            {NL80211_BSS_SIGNAL_UNSPEC, NLA_U8},
                                            {NL80211_BSS_SEEN_MS_AGO, NLA_U32}});
        bss[NL80211_BSS_BSSID].minlen = bss[NL80211_BSS_BSSID].maxlen = sizeof(MacAddress);
        return bss;
    }();
    Attributes<NL80211_ATTR_MAX> attributes{};
    if (!parse(message, attributes, checks) || commandOf(message) != NL80211_CMD_NEW_SCAN_RESULTS ||
        !attributes[NL80211_ATTR_BSS])
        return std::nullopt;
    Attributes<NL80211_BSS_MAX> bss{};
    if (!parseNested(attributes[NL80211_ATTR_BSS], bss, bssChecks) || !bss[NL80211_BSS_BSSID] ||
        !bss[NL80211_BSS_FREQUENCY])
        return std::nullopt;
    ScannedBss heard;
    if (bss[NL80211_BSS_SIGNAL_MBM])
        heard.signalMbm = nla_get_s32(bss[NL80211_BSS_SIGNAL_MBM]);
    else if (bss[NL80211_BSS_SIGNAL_UNSPEC])
        heard.signalMbm = percentToMbm(nla_get_u8(bss[NL80211_BSS_SIGNAL_UNSPEC]));
    else
        return std::nullopt; // no strength to report
    std::memcpy(heard.bssid.data(), nla_data(bss[NL80211_BSS_BSSID]), heard.bssid.size());
    heard.frequencyMhz = nla_get_u32(bss[NL80211_BSS_FREQUENCY]);
    // The elements of the last probe response or beacon; older kernels and
    // some drivers give only the beacon's.
    if (const nlattr* elements = bss[NL80211_BSS_INFORMATION_ELEMENTS])
        heard.elements = bytesOf(elements);
    if (heard.elements.empty() && bss[NL80211_BSS_BEACON_IES])
        heard.elements = bytesOf(bss[NL80211_BSS_BEACON_IES]);
    if (bss[NL80211_BSS_SEEN_MS_AGO])
        heard.ageMs = nla_get_u32(bss[NL80211_BSS_SEEN_MS_AGO]);
    return heard;
}

std::optional<Notification> readNotification(nlmsghdr& message, std::uint16_t family) {
    static const auto checks = policy<NL80211_ATTR_MAX>({{NL80211_ATTR_IFINDEX, NLA_U32}});
    Attributes<NL80211_ATTR_MAX> attributes{};
    if (message.nlmsg_type != family || !parse(message, attributes, checks))
        return std::nullopt;
    Notification notification;
    notification.command = commandOf(message);
    if (attributes[NL80211_ATTR_IFINDEX])
        notification.ifindex = nla_get_u32(attributes[NL80211_ATTR_IFINDEX]);
    return notification;
}

std::optional<int> readStatus(nlmsghdr& message) {
    // An NLMSG_DONE without a payload comes from kernels that do not report
    // a dump's status; it ends the dump well.
    if (message.nlmsg_type == NLMSG_DONE && nlmsg_datalen(&message) == 0)
        return 0;
    int error = 0;
    if (nlmsg_datalen(&message) < static_cast<int>(sizeof error))
        return std::nullopt;
    std::memcpy(&error, nlmsg_data(&message), sizeof error);
    // The kernel sends 0 or a negative errno; anything else is garbage,
    // whose negation might not even be an int.
    if (error > 0 || error < -MaxErrno)
        return EPROTO;
    return -error;
}

} // namespace marlow::wifi
