// The conversation with nl80211; see Nl80211.h. Every datagram is walked
// with nlmsg_ok()/nlmsg_next(), which stop at a message whose length does
// not fit what is left, so a cut datagram loses its last message and
// nothing more.
#include "wifi/Nl80211.h"

#include "wifi/Nl80211Messages.h"

#include <algorithm>
#include <cerrno>
#include <linux/nl80211.h>
#include <memory>
#include <netlink/genl/ctrl.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>
#include <string>

namespace marlow::wifi {
namespace {

using namespace std::chrono;

// Events kept while requests are answered; the latest are what count.
constexpr std::size_t MaxKeptEvents = 16;

struct MessageFree {
    void operator()(nl_msg* message) const { nlmsg_free(message); }
};
using Message = std::unique_ptr<nl_msg, MessageFree>;

const Error OutOfMemory{"out of memory for a netlink request", ENOMEM};

// A request with its generic netlink header (the transport fills in the
// port and sequence number); null when out of memory.
Message request(int family, std::uint8_t command, int flags, std::uint8_t version = 0) {
    Message message(nlmsg_alloc());
    if (message &&
        !genlmsg_put(message.get(), NL_AUTO_PORT, NL_AUTO_SEQ, family, 0, flags, command, version))
        message.reset();
    return message;
}

Message interfaceRequest(int family, std::uint8_t command, int flags, std::uint32_t ifindex) {
    Message message = request(family, command, flags);
    if (message && nla_put_u32(message.get(), NL80211_ATTR_IFINDEX, ifindex) < 0)
        message.reset();
    return message;
}

// The failure with its error number kept, so callers can tell EBUSY from
// EPERM, and a timeout or interrupt from both.
Failure<Error> failed(const std::string& what, const Error& error) {
    return fail(Error{what + ": " + error.message, error.systemError});
}

} // namespace

Result<Nl80211> Nl80211::open(NetlinkTransport& transport, Deadline until) {
    Nl80211 client(transport);
    Message ask = request(GENL_ID_CTRL, CTRL_CMD_GETFAMILY, NLM_F_ACK, 1);
    if (!ask || nla_put_string(ask.get(), CTRL_ATTR_FAMILY_NAME, NL80211_GENL_NAME) < 0)
        return fail(OutOfMemory);
    std::optional<FamilyInfo> family;
    const Result<void> answered = client.exchange(*ask, until, [&](nlmsghdr& reply) {
        if (!family)
            family = readFamily(reply);
    });
    if (!answered && answered.error().systemError == ENOENT)
        return fail(Error{"this kernel has no nl80211 (no Wi-Fi support)", ENOENT});
    if (!answered)
        return failed("asking the kernel for nl80211", answered.error());
    if (!family)
        return fail(Error{"the kernel's answer about nl80211 had no family number", EPROTO});
    if (family->scanGroup == 0)
        return fail(Error{"this kernel's nl80211 has no scan notifications", EPROTO});
    client.m_family = family->id;
    client.m_scanGroup = family->scanGroup;
    client.m_configGroup = family->configGroup;
    return client;
}

Result<std::vector<WifiInterface>> Nl80211::interfaces(Deadline until) {
    Message dump = request(m_family, NL80211_CMD_GET_INTERFACE, NLM_F_DUMP);
    if (!dump)
        return fail(OutOfMemory);
    std::vector<WifiInterface> found;
    const Result<void> listed = exchange(*dump, until, [&](nlmsghdr& reply) {
        if (std::optional<WifiInterface> interface = readInterface(reply))
            found.push_back(std::move(*interface));
    });
    if (!listed)
        return failed("listing the Wi-Fi interfaces", listed.error());
    return found;
}

Result<void> Nl80211::watch(std::uint32_t ifindex) {
    m_ifindex = ifindex;
    // Removals are announced on the configuration group; a kernel without
    // it still fails the next request with ENODEV.
    for (const std::uint32_t group : {m_scanGroup, m_configGroup}) {
        if (group == 0)
            continue;
        if (Result<void> joined = m_transport->joinGroup(group); !joined)
            return joined;
    }
    return {};
}

Result<void> Nl80211::triggerScan(Deadline until) {
    Message trigger = interfaceRequest(m_family, NL80211_CMD_TRIGGER_SCAN, NLM_F_ACK, m_ifindex);
    if (!trigger)
        return fail(OutOfMemory);
    const Result<void> accepted = exchange(*trigger, until, [](nlmsghdr&) {});
    if (!accepted)
        return failed("asking for a scan", accepted.error());
    return {};
}

Result<ScanEvent> Nl80211::nextScanEvent(Deadline until) {
    while (!m_removed && m_events.empty()) {
        Result<std::vector<std::uint8_t>> datagram = receive(until);
        if (!datagram)
            return fail(datagram.error());
        keepEvents(*datagram);
    }
    if (m_removed)
        return ScanEvent::Removed;
    const ScanEvent event = m_events.front();
    m_events.pop_front();
    return event;
}

void Nl80211::catchUp() {
    // Whatever ends the reading (nothing more waiting, an interrupt, a
    // failure) is for the next wait to meet.
    while (true) {
        Result<std::vector<std::uint8_t>> datagram = m_transport->receive(milliseconds::zero());
        if (!datagram)
            break;
        keepEvents(*datagram);
    }
    m_events.clear();
}

Result<ScanDump> Nl80211::dumpScan(Deadline until) {
    // A dump the kernel marks as interrupted by a change (a scan ending
    // meanwhile) may hold entries twice or miss some; one more is taken.
    for (int attempt = 0;; ++attempt) {
        Message dump = interfaceRequest(m_family, NL80211_CMD_GET_SCAN, NLM_F_DUMP, m_ifindex);
        if (!dump)
            return fail(OutOfMemory);
        ScanDump results;
        bool inconsistent = false;
        const Result<void> read = exchange(
            *dump, until,
            [&](nlmsghdr& reply) {
                std::optional<ScannedBss> bss = readBss(reply);
                if (!bss)
                    return;
                if (results.heard.size() < MaxBssPerSweep)
                    results.heard.push_back(std::move(*bss));
                else
                    ++results.dropped;
            },
            &inconsistent);
        if (!read)
            return failed("reading the scan results", read.error());
        if (!inconsistent || attempt == 1)
            return results;
    }
}

Result<void> Nl80211::exchange(nl_msg& request, Deadline until, const ReplyHandler& onReply,
                               bool* inconsistent) {
    const Result<std::uint32_t> sent = m_transport->send(request);
    if (!sent)
        return fail(sent.error());
    while (true) {
        Result<std::vector<std::uint8_t>> datagram = receive(until);
        if (!datagram)
            return fail(datagram.error());
        auto* message = reinterpret_cast<nlmsghdr*>(datagram->data());
        int remaining = static_cast<int>(datagram->size());
        for (; nlmsg_ok(message, remaining); message = nlmsg_next(message, &remaining)) {
            if (message->nlmsg_seq != *sent) {
                // A notification, or a late answer to a request given up on.
                if (message->nlmsg_seq == 0)
                    keepIfEvent(*message);
                continue;
            }
            if ((message->nlmsg_flags & NLM_F_DUMP_INTR) != 0 && inconsistent)
                *inconsistent = true;
            if (message->nlmsg_type == NLMSG_ERROR || message->nlmsg_type == NLMSG_DONE) {
                const std::optional<int> status = readStatus(*message);
                if (!status)
                    return fail(Error{"the kernel's answer was cut short", EPROTO});
                if (*status != 0)
                    return fail(Error::fromErrno("", *status));
                return {};
            }
            if (message->nlmsg_type >= NLMSG_MIN_TYPE)
                onReply(*message);
        }
    }
}

Result<std::vector<std::uint8_t>> Nl80211::receive(Deadline until) {
    const auto left = ceil<milliseconds>(until - steady_clock::now());
    return m_transport->receive(std::max(left, milliseconds::zero()));
}

void Nl80211::keepEvents(std::vector<std::uint8_t>& datagram) {
    auto* message = reinterpret_cast<nlmsghdr*>(datagram.data());
    int remaining = static_cast<int>(datagram.size());
    for (; nlmsg_ok(message, remaining); message = nlmsg_next(message, &remaining))
        if (message->nlmsg_seq == 0)
            keepIfEvent(*message);
}

void Nl80211::keepIfEvent(nlmsghdr& notification) {
    const std::optional<Notification> read = readNotification(notification, m_family);
    if (!read || m_ifindex == 0 || read->ifindex != m_ifindex)
        return;
    if (read->command == NL80211_CMD_DEL_INTERFACE) {
        m_removed = true;
        return;
    }
    if (read->command != NL80211_CMD_NEW_SCAN_RESULTS && read->command != NL80211_CMD_SCAN_ABORTED)
        return;
    if (m_events.size() == MaxKeptEvents)
        m_events.pop_front();
    m_events.push_back(read->command == NL80211_CMD_NEW_SCAN_RESULTS ? ScanEvent::Results
                                                                     : ScanEvent::Aborted);
}

} // namespace marlow::wifi
