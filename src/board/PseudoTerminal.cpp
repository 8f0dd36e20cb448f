// Opening the pseudo-terminal and setting its slave side raw.
#include "board/PseudoTerminal.h"

#include <array>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace marlow::board {
namespace {

// Sets the slave raw at the line's speed and the master non-blocking and
// close-on-exec.
Result<void> setUp(int master, int slave) {
    termios settings{};
    if (::tcgetattr(slave, &settings) != 0)
        return fail(Error::fromErrno("tcgetattr"));
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B38400);
    if (::tcsetattr(slave, TCSANOW, &settings) != 0)
        return fail(Error::fromErrno("tcsetattr"));
    if (::fcntl(master, F_SETFD, FD_CLOEXEC) != 0 ||
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK) != 0)
        return fail(Error::fromErrno("fcntl"));
    return {};
}

} // namespace

Result<std::unique_ptr<PseudoTerminal>> PseudoTerminal::open() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return fail(Error::fromErrno("posix_openpt"));
    std::array<char, 128> name{};
    Error error;
    int slave = -1;
    if (::grantpt(master) != 0)
        error = Error::fromErrno("grantpt");
    else if (::unlockpt(master) != 0)
        error = Error::fromErrno("unlockpt");
    else if (::ptsname_r(master, name.data(), name.size()) != 0)
        error = Error::fromErrno("ptsname");
    else if ((slave = ::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC)) < 0)
        error = Error::fromErrno(name.data());
    else if (Result<void> ready = setUp(master, slave); !ready)
        error = ready.error();
    if (!error.message.empty()) {
        if (slave >= 0)
            ::close(slave);
        ::close(master);
        return fail(std::move(error));
    }
    return std::unique_ptr<PseudoTerminal>(new PseudoTerminal(master, slave, name.data()));
}

PseudoTerminal::~PseudoTerminal() {
    ::close(m_slave);
    ::close(m_master);
}

} // namespace marlow::board
