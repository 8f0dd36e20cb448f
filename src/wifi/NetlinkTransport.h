// The seam between the nl80211 client and the kernel: one generic netlink
// socket that sends requests, joins multicast groups and hands over whole
// datagrams. The client builds and parses the messages; a test puts its own
// transport in the socket's place and replays what the kernel would say.
#pragma once

#include "base/Result.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

struct nl_msg;

namespace marlow::wifi {

class NetlinkTransport {
public:
    virtual ~NetlinkTransport() = default;

    // Completes the request's header (our port, the next sequence number)
    // and sends it; returns the sequence number its replies carry.
    virtual Result<std::uint32_t> send(nl_msg& request) = 0;
    // From now on the group's notifications arrive among the replies.
    virtual Result<void> joinGroup(std::uint32_t group) = 0;
    // The next datagram from the kernel, whole. Fails with ETIMEDOUT when
    // none came within the timeout (zero: only one already waiting), and
    // with EINTR once interrupted.
    virtual Result<std::vector<std::uint8_t>> receive(std::chrono::milliseconds timeout) = 0;
    // Makes a receive() in progress return at once, and every later one;
    // may be called from any thread.
    virtual void interrupt() = 0;
};

// The kernel's generic netlink socket.
Result<std::unique_ptr<NetlinkTransport>> openNetlinkSocket();

} // namespace marlow::wifi
