// Opening and setting up the board's serial device.
#include "board/SerialDevice.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace marlow::board {

Result<std::unique_ptr<SerialDevice>> SerialDevice::open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(Error::fromErrno("cannot open " + path));
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        Error error = Error::fromErrno(path + " is not a serial device");
        ::close(fd);
        return fail(std::move(error));
    }
    // Another program on the same line would garble both.
    if (::ioctl(fd, TIOCEXCL) != 0) {
        Error error = Error::fromErrno("cannot have " + path + " for this program alone");
        ::close(fd);
        return fail(std::move(error));
    }
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS | CSIZE);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (::cfsetispeed(&settings, B38400) != 0 || ::cfsetospeed(&settings, B38400) != 0 ||
        ::tcsetattr(fd, TCSANOW, &settings) != 0) {
        Error error = Error::fromErrno("cannot set " + path + " to 38400 bit/s, 8N1");
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return fail(std::move(error));
    }
    ::tcflush(fd, TCIOFLUSH);
    return std::unique_ptr<SerialDevice>(new SerialDevice(fd, path));
}

SerialDevice::~SerialDevice() {
    // The exclusive mark belongs to the tty and would outlive the close.
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
}

} // namespace marlow::board
