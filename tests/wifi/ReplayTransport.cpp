// The replaying transport; see ReplayTransport.h.
#include "ReplayTransport.h"

#include <cerrno>
#include <linux/nl80211.h>
#include <netlink/attr.h>
#include <netlink/genl/genl.h>
#include <netlink/msg.h>

namespace marlow::wifi::test {

constexpr std::uint32_t ClientPort = 4242;

std::vector<ReplayTransport::Request> ReplayTransport::requests() const {
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

std::vector<std::uint32_t> ReplayTransport::groups() const {
    const std::lock_guard lock(m_mutex);
    return m_groups;
}

std::size_t ReplayTransport::unread() const {
    const std::lock_guard lock(m_mutex);
    return m_queue.size();
}

Result<std::uint32_t> ReplayTransport::send(nl_msg& request) {
    const std::lock_guard lock(m_mutex);
    nlmsghdr* header = nlmsg_hdr(&request);
    header->nlmsg_seq = ++m_sequence;
    header->nlmsg_pid = ClientPort;
    header->nlmsg_flags |= NLM_F_REQUEST;
    Request sent;
    sent.command = genlmsg_hdr(header)->cmd;
    sent.flags = header->nlmsg_flags;
    if (const nlattr* ifindex = nlmsg_find_attr(header, GENL_HDRLEN, NL80211_ATTR_IFINDEX))
        sent.ifindex = nla_get_u32(ifindex);
    sent.groupsJoined = m_groups.size();
    m_requests.push_back(sent);
    return m_sequence;
}

Result<void> ReplayTransport::joinGroup(std::uint32_t group) {
    const std::lock_guard lock(m_mutex);
    m_groups.push_back(group);
    return {};
}

Result<std::vector<std::uint8_t>> ReplayTransport::receive(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    const bool arrived = !m_queue.empty() && m_queue.front().kind != Kind::Silence &&
                         (m_queue.front().kind == Kind::Earlier || timeout.count() > 0);
    if (!m_interrupted && arrived) {
        Queued next = std::move(m_queue.front());
        m_queue.pop_front();
        if (next.kind == Kind::Answer) {
            auto* message = reinterpret_cast<nlmsghdr*>(next.bytes.data());
            int remaining = static_cast<int>(next.bytes.size());
            for (; nlmsg_ok(message, remaining); message = nlmsg_next(message, &remaining)) {
                message->nlmsg_seq = m_sequence;
                message->nlmsg_pid = ClientPort;
            }
        }
        return std::move(next.bytes);
    }
    // Nothing was taken: a silence in front is used up by waiting it out.
    if (!m_interrupted && timeout.count() > 0 && !m_queue.empty())
        m_queue.pop_front();
    // A look at what is already waiting returns at once, as the socket's
    // poll does: a wait, even an expired one, would give up the processor.
    const bool interrupted = timeout.count() == 0
                                 ? m_interrupted
                                 : m_wake.wait_for(lock, timeout, [this] { return m_interrupted; });
    if (interrupted)
        return fail(Error::fromErrno("waiting for the kernel", EINTR));
    return fail(Error::fromErrno("waiting for the kernel", ETIMEDOUT));
}

void ReplayTransport::interrupt() {
    {
        const std::lock_guard lock(m_mutex);
        m_interrupted = true;
    }
    m_wake.notify_all();
}

void ReplayTransport::queue(Kind kind, Bytes bytes) {
    const std::lock_guard lock(m_mutex);
    m_queue.push_back({kind, std::move(bytes)});
}

} // namespace marlow::wifi::test
