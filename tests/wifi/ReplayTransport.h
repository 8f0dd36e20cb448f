// A netlink transport for tests: it records the requests the client sends
// and the groups it joins, and replays the datagrams the test queued, one
// per receive, in order. An answer gets the sequence number of the latest
// request, as the kernel's reply to it would carry. Answers and
// notifications come to a wait; a look at what is already waiting (a zero
// timeout) finds only what the test queued as already there.
#pragma once

#include "FakeKernel.h"
#include "wifi/NetlinkTransport.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

namespace marlow::wifi::test {

class ReplayTransport final : public NetlinkTransport {
public:
    struct Request {
        std::uint8_t command = 0;
        std::uint16_t flags = 0;
        // NL80211_ATTR_IFINDEX; 0 when absent.
        std::uint32_t ifindex = 0;
        // How many groups had been joined when it was sent.
        std::size_t groupsJoined = 0;
    };

    void answer(Bytes datagram) { queue(Kind::Answer, std::move(datagram)); }
    void notify(Bytes datagram) { queue(Kind::Notification, std::move(datagram)); }
    // A notification that came before the client looks (between sweeps).
    void notifyEarlier(Bytes datagram) { queue(Kind::Earlier, std::move(datagram)); }
    // The next receive finds nothing until its timeout ends (as it does
    // whenever nothing is queued).
    void silence() { queue(Kind::Silence, {}); }

    std::vector<Request> requests() const;
    std::vector<std::uint32_t> groups() const;
    // Queued datagrams not yet received.
    std::size_t unread() const;

    Result<std::uint32_t> send(nl_msg& request) override;
    Result<void> joinGroup(std::uint32_t group) override;
    Result<std::vector<std::uint8_t>> receive(std::chrono::milliseconds timeout) override;
    void interrupt() override;

private:
    enum class Kind { Answer, Notification, Earlier, Silence };
    struct Queued {
        Kind kind;
        Bytes bytes;
    };

    void queue(Kind kind, Bytes bytes);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Queued> m_queue;
    std::vector<Request> m_requests;
    std::vector<std::uint32_t> m_groups;
    std::uint32_t m_sequence = 100;
    bool m_interrupted = false;
};

} // namespace marlow::wifi::test
