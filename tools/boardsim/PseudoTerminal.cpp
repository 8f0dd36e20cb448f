// Opening the pseudo-terminal and setting its slave side raw.
#include "boardsim/PseudoTerminal.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace marlow::sim {
namespace {

std::string failure(const char* step) {
    return std::string(step) + ": " + std::strerror(errno);
}

} // namespace

PseudoTerminal::Opened PseudoTerminal::open() {
    Opened result;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        result.error = failure("posix_openpt");
        return result;
    }
    std::array<char, 128> name{};
    int slave = -1;
    termios settings{};
    if (::grantpt(master) != 0)
        result.error = failure("grantpt");
    else if (::unlockpt(master) != 0)
        result.error = failure("unlockpt");
    else if (::ptsname_r(master, name.data(), name.size()) != 0)
        result.error = failure("ptsname");
    else if ((slave = ::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC)) < 0)
        result.error = failure(name.data());
    else if (::tcgetattr(slave, &settings) != 0)
        result.error = failure("tcgetattr");
    if (result.error.empty()) {
        ::cfmakeraw(&settings);
        ::cfsetspeed(&settings, B38400);
        if (::tcsetattr(slave, TCSANOW, &settings) != 0)
            result.error = failure("tcsetattr");
        else if (::fcntl(master, F_SETFD, FD_CLOEXEC) != 0 ||
                 ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK) != 0)
            result.error = failure("fcntl");
    }
    if (!result.error.empty()) {
        if (slave >= 0)
            ::close(slave);
        ::close(master);
        return result;
    }
    result.terminal.reset(new PseudoTerminal(master, slave, name.data()));
    return result;
}

PseudoTerminal::~PseudoTerminal() {
    ::close(m_slave);
    ::close(m_master);
}

} // namespace marlow::sim
