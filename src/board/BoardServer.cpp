// The serving thread: read, answer, step through sweeps, write with pacing.
#include "board/BoardServer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

namespace marlow::board {
namespace {

// With pacing, bytes go out in pieces this big (8 ms of line time), well
// inside the handheld's 251 ms limit between two bytes of a frame.
constexpr std::size_t PacedChunk = 32;
constexpr std::size_t ReadBufferSize = 512;

} // namespace

BoardServer::BoardServer(BoardConfig board, std::unique_ptr<RadioSource> radio, ServerConfig config)
    : m_radio(std::move(radio)), m_board(std::move(board), *m_radio),
      m_faulty(m_pending, config.faults),
      m_line(config.faults.empty() ? static_cast<BoardLine&>(m_pending) : m_faulty),
      m_pacing(config.pacing), m_bytesPerSecond(config.bytesPerSecond),
      m_onReceived(std::move(config.onReceived)) {}

BoardServer::~BoardServer() {
    stop();
}

Result<void> BoardServer::startOnPseudoTerminal() {
    if (m_thread.joinable())
        return fail(Error{"the board is already serving"});
    Result<std::unique_ptr<PseudoTerminal>> opened = PseudoTerminal::open();
    if (!opened)
        return fail(opened.error());
    m_terminal = std::move(opened).value();
    Result<void> started = start(m_terminal->master(), m_terminal->master());
    if (!started)
        m_terminal.reset();
    return started;
}

Result<void> BoardServer::startOnSerialDevice(const std::string& path) {
    if (m_thread.joinable())
        return fail(Error{"the board is already serving"});
    Result<std::unique_ptr<SerialDevice>> opened = SerialDevice::open(path);
    if (!opened)
        return fail(opened.error());
    m_serial = std::move(opened).value();
    Result<void> started = start(m_serial->fd(), m_serial->fd());
    if (!started)
        m_serial.reset();
    return started;
}

Result<void> BoardServer::startOnDescriptors(int readFd, int writeFd) {
    if (m_thread.joinable())
        return fail(Error{"the board is already serving"});
    for (int fd : {readFd, writeFd}) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0)
            return fail(Error::fromErrno("fcntl"));
    }
    return start(readFd, writeFd);
}

Result<void> BoardServer::start(int readFd, int writeFd) {
    std::array<int, 2> wake{};
    if (::pipe2(wake.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        return fail(Error::fromErrno("pipe"));
    m_wakeRead = wake[0];
    m_wakeWrite = wake[1];
    m_readFd = readFd;
    m_writeFd = writeFd;
    m_lineFree = Clock::now();
    m_thread = std::thread(&BoardServer::run, this);
    return {};
}

void BoardServer::stop() {
    if (m_thread.joinable()) {
        // A radio may be waiting for the air in the middle of a step.
        m_radio->interrupt();
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
    m_serial.reset();
}

const std::string& BoardServer::devicePath() const {
    static const std::string none;
    if (m_serial)
        return m_serial->path();
    return m_terminal ? m_terminal->slavePath() : none;
}

void BoardServer::run() {
    // A handheld that goes away must end serving, not the process.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);

    std::array<std::uint8_t, ReadBufferSize> buffer{};
    for (;;) {
        // During a sweep only a look between its steps; otherwise a wait.
        const Wait input = waitFor(m_readFd, POLLIN, m_board.sweeping() ? 0 : -1);
        if (input == Wait::Stopped)
            return;
        m_pending.clear();
        if (input == Wait::Ready) {
            const ssize_t count = ::read(m_readFd, buffer.data(), buffer.size());
            if (count < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (count <= 0)
                return;
            const auto received = std::span(buffer).first(static_cast<std::size_t>(count));
            if (m_onReceived)
                m_onReceived(received);
            m_board.receive(received, m_line);
        } else {
            m_board.step(m_line);
        }
        if (!transmit(m_pending))
            return;
    }
}

bool BoardServer::transmit(const Transmission& transmission) {
    for (const Segment& segment : transmission.segments()) {
        const std::size_t size = segment.bytes.size();
        const std::size_t piece = m_pacing ? PacedChunk : std::max<std::size_t>(size, 1);
        for (std::size_t at = 0; at < size; at += piece) {
            const std::size_t length = std::min(piece, size - at);
            if (m_pacing) {
                if (!sleepUntil(m_lineFree))
                    return false;
                const std::chrono::duration<double> lineTime(static_cast<double>(length) /
                                                             m_bytesPerSecond);
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

bool BoardServer::writeAll(const std::uint8_t* bytes, std::size_t length) {
    while (length > 0) {
        const ssize_t written = ::write(m_writeFd, bytes, length);
        if (written > 0) {
            bytes += written;
            length -= static_cast<std::size_t>(written);
        } else if (written < 0 && errno == EAGAIN) {
            if (waitFor(m_writeFd, POLLOUT, -1) == Wait::Stopped)
                return false;
        } else if (!(written < 0 && errno == EINTR)) {
            return false;
        }
    }
    return true;
}

BoardServer::Wait BoardServer::waitFor(int fd, short events, int timeoutMs) {
    std::array<pollfd, 2> fds{{{m_wakeRead, POLLIN, 0}, {fd, events, 0}}};
    const nfds_t count = fd >= 0 ? 2 : 1;
    const int ready = ::poll(fds.data(), count, timeoutMs);
    if (ready < 0 && errno != EINTR)
        return Wait::Stopped;
    if (fds[0].revents != 0 || (fds[1].revents & POLLNVAL) != 0)
        return Wait::Stopped;
    // A hang-up or an error counts as ready: the read or write then fails.
    return ready > 0 && fd >= 0 && fds[1].revents != 0 ? Wait::Ready : Wait::TimedOut;
}

bool BoardServer::sleepUntil(Clock::time_point when) {
    for (Clock::time_point now = Clock::now(); now < when; now = Clock::now()) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(when - now);
        if (waitFor(-1, 0, static_cast<int>(wait.count())) == Wait::Stopped)
            return false;
    }
    return true;
}

} // namespace marlow::board
