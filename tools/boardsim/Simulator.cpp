// The simulator's serving thread: read, answer, write with pacing.
#include "boardsim/Simulator.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

namespace marlow::sim {
namespace {

// With pacing, bytes go out in pieces this big (8 ms of line time), well
// inside the handheld's 251 ms limit between two bytes of a frame.
constexpr std::size_t PacedChunk = 32;
constexpr std::size_t ReadBufferSize = 512;

std::string failure(const char* step) {
    return std::string(step) + ": " + std::strerror(errno);
}

} // namespace

Simulator::Simulator(SimulatorConfig config)
    : m_board(std::move(config.board)), m_pacing(config.pacing),
      m_bytesPerSecond(config.bytesPerSecond), m_onReceived(std::move(config.onReceived)) {}

Simulator::~Simulator() {
    stop();
}

std::string Simulator::startOnPseudoTerminal() {
    if (m_thread.joinable())
        return "the simulator is already serving";
    PseudoTerminal::Opened opened = PseudoTerminal::open();
    if (!opened.terminal)
        return opened.error;
    m_terminal = std::move(opened.terminal);
    std::string error = start(m_terminal->master(), m_terminal->master());
    if (!error.empty())
        m_terminal.reset();
    return error;
}

std::string Simulator::startOnDescriptors(int readFd, int writeFd) {
    if (m_thread.joinable())
        return "the simulator is already serving";
    for (int fd : {readFd, writeFd}) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0)
            return failure("fcntl");
    }
    return start(readFd, writeFd);
}

std::string Simulator::start(int readFd, int writeFd) {
    std::array<int, 2> wake{};
    if (::pipe2(wake.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        return failure("pipe");
    m_wakeRead = wake[0];
    m_wakeWrite = wake[1];
    m_readFd = readFd;
    m_writeFd = writeFd;
    m_lineFree = Clock::now();
    m_thread = std::thread(&Simulator::run, this);
    return {};
}

void Simulator::stop() {
    if (m_thread.joinable()) {
        // The pipe stays readable, so every later wait ends at once.
        const std::uint8_t wake = 1;
        while (::write(m_wakeWrite, &wake, 1) < 0 && errno == EINTR) {
        }
        m_thread.join();
    }
    if (m_wakeRead >= 0) {
        ::close(m_wakeRead);
        ::close(m_wakeWrite);
        m_wakeRead = m_wakeWrite = -1;
    }
    m_terminal.reset();
}

const std::string& Simulator::devicePath() const {
    static const std::string none;
    return m_terminal ? m_terminal->slavePath() : none;
}

void Simulator::run() {
    // A handheld that goes away must end serving, not the process.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);

    std::array<std::uint8_t, ReadBufferSize> buffer{};
    while (waitFor(m_readFd, POLLIN, -1)) {
        const ssize_t count = ::read(m_readFd, buffer.data(), buffer.size());
        if (count < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (count <= 0)
            return;
        const auto received = std::span(buffer).first(static_cast<std::size_t>(count));
        if (m_onReceived)
            m_onReceived(received);
        if (!transmit(m_board.receive(received)))
            return;
    }
}

bool Simulator::transmit(const Transmission& transmission) {
    for (const Segment& segment : transmission.segments()) {
        const std::size_t size = segment.bytes.size();
        const std::size_t piece = m_pacing ? PacedChunk : std::max<std::size_t>(size, 1);
        for (std::size_t at = 0; at < size; at += piece) {
            const std::size_t length = std::min(piece, size - at);
            if (m_pacing) {
                if (!sleepUntil(m_lineFree))
                    return false;
                const std::chrono::duration<double> lineTime(length / m_bytesPerSecond);
                m_lineFree = std::max(m_lineFree, Clock::now()) +
                             std::chrono::duration_cast<Clock::duration>(lineTime);
            }
            if (!writeAll(segment.bytes.data() + at, length))
                return false;
        }
        if (segment.pauseAfter.count() > 0 && !sleepUntil(Clock::now() + segment.pauseAfter))
            return false;
    }
    return true;
}

bool Simulator::writeAll(const std::uint8_t* bytes, std::size_t length) {
    while (length > 0) {
        const ssize_t written = ::write(m_writeFd, bytes, length);
        if (written > 0) {
            bytes += written;
            length -= static_cast<std::size_t>(written);
        } else if (written < 0 && errno == EAGAIN) {
            if (!waitFor(m_writeFd, POLLOUT, -1))
                return false;
        } else if (!(written < 0 && errno == EINTR)) {
            return false;
        }
    }
    return true;
}

bool Simulator::waitFor(int fd, short events, int timeoutMs) {
    std::array<pollfd, 2> fds{{{m_wakeRead, POLLIN, 0}, {fd, events, 0}}};
    const nfds_t count = fd >= 0 ? 2 : 1;
    if (::poll(fds.data(), count, timeoutMs) < 0 && errno != EINTR)
        return false;
    return fds[0].revents == 0 && (fds[1].revents & POLLNVAL) == 0;
}

bool Simulator::sleepUntil(Clock::time_point when) {
    for (Clock::time_point now = Clock::now(); now < when; now = Clock::now()) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(when - now);
        if (!waitFor(-1, 0, static_cast<int>(wait.count())))
            return false;
    }
    return true;
}

} // namespace marlow::sim
