// The board tools' standard input and stop signals; see BoardConsole.h.
#include "BoardConsole.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

namespace marlow::console {
namespace {

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    constexpr std::string_view Blanks = " \t\r";
    for (std::size_t at = text.find_first_not_of(Blanks); at != std::string_view::npos;
         at = text.find_first_not_of(Blanks, at)) {
        const std::size_t end = std::min(text.find_first_of(Blanks, at), text.size());
        out.push_back(text.substr(at, end - at));
        at = end;
    }
    return out;
}

std::optional<double> parseFinite(std::string_view text) {
    double value = 0;
    const auto [end, failed] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (failed != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void command(board::BoardServer& board, std::string_view line, std::string_view tool) {
    if (line.find_first_not_of(" \t\r") == std::string_view::npos)
        return;
    if (const auto position = parsePositionCommand(line)) {
        board.setSurveyPosition(*position);
        std::printf("position %g %g\n", position->x, position->y);
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "%.*s: ignoring \"%.*s\": expected \"at X Y\"\n",
                     static_cast<int>(tool.size()), tool.data(), static_cast<int>(line.size()),
                     line.data());
    }
}

sigset_t stopSet() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

} // namespace

std::optional<board::SurveyPosition> parsePositionCommand(std::string_view line) {
    const std::vector<std::string_view> parts = words(line);
    if (parts.size() != 3 || parts[0] != "at")
        return std::nullopt;
    const std::optional<double> x = parseFinite(parts[1]);
    const std::optional<double> y = parseFinite(parts[2]);
    if (!x || !y)
        return std::nullopt;
    return board::SurveyPosition{*x, *y};
}

Result<StopSignals> StopSignals::block() {
    const sigset_t signals = stopSet();
    if (::sigprocmask(SIG_BLOCK, &signals, nullptr) != 0)
        return fail(Error::fromErrno("sigprocmask"));
    const int fd = ::signalfd(-1, &signals, SFD_CLOEXEC);
    if (fd < 0)
        return fail(Error::fromErrno("signalfd"));
    // A handheld that goes away must not end the tool through a write.
    std::signal(SIGPIPE, SIG_IGN);
    return StopSignals(fd);
}

StopSignals::~StopSignals() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void serveConsole(board::BoardServer& board, const StopSignals& stop, std::string_view tool) {
    std::string pending;
    std::array<char, 256> buffer{};
    for (;;) {
        std::array<pollfd, 2> fds{{{STDIN_FILENO, POLLIN, 0}, {stop.fd(), POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents == 0)
            continue;
        const ssize_t count = ::read(STDIN_FILENO, buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        pending.append(buffer.data(), static_cast<std::size_t>(count));
        for (std::size_t end = pending.find('\n'); end != std::string::npos;
             end = pending.find('\n')) {
            command(board, std::string_view(pending).substr(0, end), tool);
            pending.erase(0, end + 1);
        }
    }
}

} // namespace marlow::console
