// The generic netlink socket over libnl. libnl connects the socket, fills in
// request headers and joins groups; receiving is our own poll and recvfrom,
// so that a wait can also watch an eventfd that interrupt() signals, and so
// that each datagram is read whole whatever its size.
#include "wifi/NetlinkTransport.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <netlink/genl/genl.h>
#include <netlink/netlink.h>
#include <netlink/socket.h>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace marlow::wifi {
namespace {

using namespace std::chrono;

// Room for the notifications that pile up while nobody reads (between
// sweeps); the kernel caps it at net.core.rmem_max.
constexpr int ReceiveBufferBytes = 1 << 20;

Error libnlError(const std::string& what, int error) {
    return Error{what + ": " + nl_geterror(error), 0};
}

class NetlinkSocket final : public NetlinkTransport {
public:
    NetlinkSocket(nl_sock* socket, int wake) : m_socket(socket), m_wake(wake) {}
    ~NetlinkSocket() override {
        nl_socket_free(m_socket);
        ::close(m_wake);
    }
    NetlinkSocket(const NetlinkSocket&) = delete;
    NetlinkSocket& operator=(const NetlinkSocket&) = delete;

    Result<std::uint32_t> send(nl_msg& request) override {
        const int sent = nl_send_auto(m_socket, &request);
        if (sent < 0)
            return fail(libnlError("sending a request to the kernel", sent));
        return nlmsg_hdr(&request)->nlmsg_seq;
    }

    Result<void> joinGroup(std::uint32_t group) override {
        const int joined = nl_socket_add_membership(m_socket, static_cast<int>(group));
        if (joined < 0)
            return fail(libnlError("joining an nl80211 multicast group", joined));
        return {};
    }

    Result<std::vector<std::uint8_t>> receive(milliseconds timeout) override {
        const steady_clock::time_point until = steady_clock::now() + timeout;
        while (true) {
            if (m_interrupted.load())
                return fail(Error::fromErrno("waiting for the kernel", EINTR));
            const milliseconds::rep left = ceil<milliseconds>(until - steady_clock::now()).count();
            std::array<pollfd, 2> watched{
                {{nl_socket_get_fd(m_socket), POLLIN, 0}, {m_wake, POLLIN, 0}}};
            const int ready =
                ::poll(watched.data(), watched.size(),
                       static_cast<int>(std::clamp<milliseconds::rep>(left, 0, INT_MAX)));
            if (ready < 0 && errno != EINTR)
                return fail(Error::fromErrno("waiting for the kernel"));
            if (ready == 0)
                return fail(Error::fromErrno("waiting for the kernel", ETIMEDOUT));
            if (ready > 0 && (watched[0].revents & (POLLIN | POLLERR)) != 0) {
                Result<std::vector<std::uint8_t>> datagram = readDatagram();
                if (!datagram || !datagram->empty())
                    return datagram;
            }
        }
    }

    void interrupt() override {
        m_interrupted.store(true);
        const std::uint64_t one = 1;
        // Never read back, so the descriptor stays readable and every later
        // wait returns at once too. Only a counter overflow could fail it.
        [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
    }

private:
    // The datagram waiting on the socket, whole; empty when there was none
    // after all or it came from anyone but the kernel.
    Result<std::vector<std::uint8_t>> readDatagram() {
        const int fd = nl_socket_get_fd(m_socket);
        // A netlink socket tells a datagram's full length when peeked with
        // MSG_TRUNC, so the buffer fits it and nothing is cut off.
        const ssize_t length = ::recv(fd, nullptr, 0, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
        if (length < 0)
            return readFailure();
        std::vector<std::uint8_t> datagram(static_cast<std::size_t>(length));
        sockaddr_nl sender{};
        socklen_t senderLength = sizeof sender;
        const ssize_t got = ::recvfrom(fd, datagram.data(), datagram.size(), MSG_DONTWAIT,
                                       reinterpret_cast<sockaddr*>(&sender), &senderLength);
        if (got < 0)
            return readFailure();
        // Another process may send to our port; only the kernel's port is 0.
        if (sender.nl_pid != 0)
            return std::vector<std::uint8_t>{};
        datagram.resize(static_cast<std::size_t>(got));
        return datagram;
    }

    // Nothing to read after all is no failure (a signal, or poll woke for
    // nothing); anything else (ENOBUFS: the kernel dropped notifications) is.
    static Result<std::vector<std::uint8_t>> readFailure() {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return std::vector<std::uint8_t>{};
        return fail(Error::fromErrno("reading from the kernel"));
    }

    nl_sock* m_socket;
    int m_wake;
    std::atomic<bool> m_interrupted{false};
};

} // namespace

Result<std::unique_ptr<NetlinkTransport>> openNetlinkSocket() {
    nl_sock* socket = nl_socket_alloc();
    if (!socket)
        return fail(Error{"out of memory for a netlink socket", ENOMEM});
    const int connected = genl_connect(socket);
    if (connected < 0) {
        nl_socket_free(socket);
        return fail(libnlError("opening a generic netlink socket", connected));
    }
    // The client asks for acknowledgements itself, and only where it waits
    // for one.
    nl_socket_disable_auto_ack(socket);
    // A smaller buffer only means notifications may be lost under a flood,
    // which the waits' time limits cover.
    (void)nl_socket_set_buffer_size(socket, ReceiveBufferBytes, 0);
    const int wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
        const Error error = Error::fromErrno("creating an eventfd");
        nl_socket_free(socket);
        return fail(error);
    }
    return std::unique_ptr<NetlinkTransport>(std::make_unique<NetlinkSocket>(socket, wake));
}

} // namespace marlow::wifi
