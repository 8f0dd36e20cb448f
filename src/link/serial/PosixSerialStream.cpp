// Opening, configuring, reading and writing a serial device with termios.
// The descriptor stays non-blocking: reads wait in poll() for at most the
// caller's time-out, and a write waits for room at most WriteWait, so neither
// thread can hang on a peer that stops reading and stop() always gets its
// threads back.
#include "PosixSerialStream.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace marlow {
namespace {

constexpr int WriteWaitMs = 1000;

// Sets or clears one modem line. Pseudo-terminals and some adapters have no
// modem lines and refuse the request; that is not a failure.
bool setModemLine(int fd, unsigned long request, int line) {
    if (::ioctl(fd, request, &line) == 0)
        return true;
    return errno == ENOTTY || errno == EINVAL;
}

bool applyLineSettings(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (::cfsetispeed(&settings, B38400) != 0 || ::cfsetospeed(&settings, B38400) != 0)
        return false;
    if (::tcsetattr(fd, TCSANOW, &settings) != 0)
        return false;
    return setModemLine(fd, TIOCMBIS, TIOCM_RTS) && setModemLine(fd, TIOCMBIC, TIOCM_DTR);
}

} // namespace

Result<std::unique_ptr<PosixSerialStream>> PosixSerialStream::open(const std::string& device) {
    // O_NONBLOCK also keeps open() from waiting for a carrier on ports whose
    // CLOCAL is still clear.
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(Error{CannotOpenMessage, errno});
    // Later opens by other programs fail with EBUSY. Not a tty: the line
    // settings below fail and say so.
    ::ioctl(fd, TIOCEXCL);
    if (!applyLineSettings(fd)) {
        const int error = errno;
        ::close(fd);
        return fail(Error{SetCommStateMessage, error});
    }
    return std::unique_ptr<PosixSerialStream>(new PosixSerialStream(fd));
}

PosixSerialStream::~PosixSerialStream() {
    // The exclusive mark belongs to the tty, not to this descriptor: while
    // the far end keeps the device open (a pseudo-terminal's master does) it
    // would outlive the close and lock out the next program.
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
}

std::size_t PosixSerialStream::write(const std::uint8_t* bytes, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t moved = ::write(m_fd, bytes + done, length - done);
        if (moved > 0) {
            done += static_cast<std::size_t>(moved);
            continue;
        }
        if (moved < 0 && errno == EINTR)
            continue;
        if (moved < 0 && errno == EAGAIN) {
            pollfd room{m_fd, POLLOUT, 0};
            if (::poll(&room, 1, WriteWaitMs) > 0 && (room.revents & POLLOUT))
                continue;
        }
        break;
    }
    return done;
}

ReadResult PosixSerialStream::readByte(std::chrono::milliseconds timeout) {
    pollfd ready{m_fd, POLLIN, 0};
    const int polled = ::poll(&ready, 1, static_cast<int>(timeout.count()));
    if (polled == 0 || (polled < 0 && errno == EINTR))
        return {ReadStatus::TimedOut, 0};
    if (polled < 0 || !(ready.revents & POLLIN))
        return {ReadStatus::Failed, 0};
    std::uint8_t byte = 0;
    const ssize_t got = ::read(m_fd, &byte, 1);
    if (got == 1)
        return {ReadStatus::Byte, byte};
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return {ReadStatus::TimedOut, 0};
    return {ReadStatus::Failed, 0};
}

void PosixSerialStream::purge() {
    ::tcflush(m_fd, TCOFLUSH);
    ::tcflush(m_fd, TCIFLUSH);
}

} // namespace marlow
