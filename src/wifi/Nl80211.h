// The nl80211 requests a survey makes, over a NetlinkTransport: the family's
// number and multicast groups, the wireless interfaces, a scan, and the
// scan results. Requests are built and replies parsed with libnl; every
// attribute is checked against a policy, so a short or malformed one is
// never read past its end.
//
// Notifications arrive on the same socket as the replies. Those about the
// watched interface (results ready, scan aborted, interface removed) are
// kept when they come while a request is answered, for the next wait.
#pragma once

#include "base/Result.h"
#include "wifi/Adapter.h"
#include "wifi/NetlinkTransport.h"
#include "wifi/Sweep.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

struct nlmsghdr;

namespace marlow::wifi {

using Deadline = std::chrono::steady_clock::time_point;

// What the kernel announced about the watched interface.
enum class ScanEvent {
    // A scan ended and its results are in.
    Results,
    // A scan ended early; the kernel holds what it had.
    Aborted,
    // The interface is gone (the adapter was unplugged).
    Removed,
};

struct ScanDump {
    // At most MaxBssPerSweep, in the kernel's order.
    std::vector<ScannedBss> heard;
    // Well-formed entries beyond MaxBssPerSweep.
    std::size_t dropped = 0;
};

// Every call that waits gives up at `until`, failing with ETIMEDOUT, and
// fails with EINTR once the transport is interrupted. Failures the kernel
// reports carry its error number (EBUSY, EPERM, ENODEV...).
class Nl80211 {
public:
    // Asks the kernel for the nl80211 family and its multicast groups.
    static Result<Nl80211> open(NetlinkTransport& transport, Deadline until);

    Result<std::vector<WifiInterface>> interfaces(Deadline until);

    // Joins the scan and configuration groups and from then on keeps the
    // events about the interface; the calls below act on it.
    Result<void> watch(std::uint32_t ifindex);
    // Asks the kernel to scan; returns once it accepted or refused.
    Result<void> triggerScan(Deadline until);
    // The next event about the watched interface, the kept ones first.
    // Once the interface was removed, always Removed.
    Result<ScanEvent> nextScanEvent(Deadline until);
    // Reads the notifications already waiting, then forgets the results
    // and aborts among them and those kept: they belong to scans that ended
    // before now. A removal is remembered.
    void catchUp();
    // The scan results the kernel holds for the interface. An entry that
    // does not parse is left out.
    Result<ScanDump> dumpScan(Deadline until);

private:
    using ReplyHandler = std::function<void(nlmsghdr&)>;

    explicit Nl80211(NetlinkTransport& transport) : m_transport(&transport) {}

    // Sends the request and hands each reply to it to onReply, until the
    // kernel acknowledges, fails it or ends the dump. Tells through
    // `inconsistent` whether the kernel marked a dump as interrupted by a
    // change.
    Result<void> exchange(nl_msg& request, Deadline until, const ReplyHandler& onReply,
                          bool* inconsistent = nullptr);
    Result<std::vector<std::uint8_t>> receive(Deadline until);
    // Keeps the events among a datagram's notifications; replies to
    // requests given up on are passed over.
    void keepEvents(std::vector<std::uint8_t>& datagram);
    void keepIfEvent(nlmsghdr& notification);

    NetlinkTransport* m_transport;
    std::uint16_t m_family = 0;
    std::uint32_t m_scanGroup = 0;
    std::uint32_t m_configGroup = 0;
    std::uint32_t m_ifindex = 0;
    std::deque<ScanEvent> m_events;
    bool m_removed = false;
};

} // namespace marlow::wifi
