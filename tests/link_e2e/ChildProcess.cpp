// Spawning a tool with pipes on its standard streams, reading its output.
#include "ChildProcess.h"

#include "SimulatedBoard.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace marlow::e2e {
namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, left.count()));
}

// Appends what one read gives; false at the end of the stream.
bool readInto(int fd, std::string& text) {
    std::array<char, 4096> buffer{};
    const ssize_t count = ::read(fd, buffer.data(), buffer.size());
    if (count < 0 && errno == EINTR)
        return true;
    if (count <= 0)
        return false;
    text.append(buffer.data(), static_cast<std::size_t>(count));
    return true;
}

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args) {
    int in[2];
    int out[2];
    int err[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot make pipes for " + program);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const int spawned =
        ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    m_in = in[1];
    m_out = out[0];
    m_err = err[0];
    if (spawned != 0) {
        m_pid = -1;
        throw std::runtime_error("cannot run " + program);
    }
}

ChildProcess::~ChildProcess() {
    closeFd(m_in);
    closeFd(m_out);
    closeFd(m_err);
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

void ChildProcess::writeInput(std::string_view text) {
    if (::write(m_in, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        throw std::runtime_error("cannot write to the child's input");
}

std::string ChildProcess::readLine() {
    const auto deadline = Clock::now() + Patience;
    std::size_t end = m_outSoFar.find('\n');
    while (end == std::string::npos) {
        pollfd readable{m_out, POLLIN, 0};
        if (::poll(&readable, 1, remainingMs(deadline)) <= 0 || !readInto(m_out, m_outSoFar))
            return {};
        end = m_outSoFar.find('\n');
    }
    std::string line = m_outSoFar.substr(0, end);
    m_outSoFar.erase(0, end + 1);
    return line;
}

ChildProcess::Finished ChildProcess::finish() {
    closeFd(m_in);
    const auto deadline = Clock::now() + Patience;
    Finished finished;
    finished.out = std::move(m_outSoFar);
    while (m_out >= 0 || m_err >= 0) {
        std::array<pollfd, 2> fds{{{m_out, POLLIN, 0}, {m_err, POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), remainingMs(deadline)) <= 0)
            break;
        if (fds[0].revents != 0 && !readInto(m_out, finished.out))
            closeFd(m_out);
        if (fds[1].revents != 0 && !readInto(m_err, finished.err))
            closeFd(m_err);
    }
    if (m_out >= 0 || m_err >= 0)
        ::kill(m_pid, SIGKILL);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    finished.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return finished;
}

} // namespace marlow::e2e
