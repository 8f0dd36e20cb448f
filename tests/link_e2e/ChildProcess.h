// Running the tools as the end-to-end tests do: a child process with its
// standard streams on pipes that the test holds, and reads from a pipe or a
// line that give up after Patience.
#pragma once

#include "OfficeScan.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace marlow::e2e {

using Clock = std::chrono::steady_clock;

// Reads into `text` until `done` holds; false when the stream ends or
// Patience runs out first.
inline bool readUntil(int fd, std::string& text, const std::function<bool()>& done) {
    const auto deadline = Clock::now() + Patience;
    while (!done()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd readable{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&readable, 1, int(left.count())) <= 0)
            return false;
        std::array<char, 4096> buffer{};
        const ssize_t count = ::read(fd, buffer.data(), buffer.size());
        if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR))
            return false;
        text.append(buffer.data(), static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
    }
    return true;
}

// Killed if it still runs when the test lets it go.
class ChildProcess {
public:
    ChildProcess(const std::string& program, std::vector<std::string> args) {
        int in[2], out[2], err[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 ||
            ::pipe2(err, O_CLOEXEC) != 0)
            return; // never runs: finish() gives exit code -1
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        for (const int unused : {in[0], out[1], err[1]})
            ::close(unused);
        m_fds = {in[1], out[0], err[0]};
    }
    ~ChildProcess() {
        for (const int fd : m_fds)
            ::close(fd);
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    bool writeInput(std::string_view text) {
        return ::write(m_fds[0], text.data(), text.size()) == ssize_t(text.size());
    }
    // The next line of standard output, without its newline.
    std::string readLine() {
        readUntil(m_fds[1], m_out, [&] { return m_out.find('\n') != std::string::npos; });
        const std::string line = m_out.substr(0, m_out.find('\n'));
        m_out.erase(0, line.size() + 1);
        return line;
    }
    void signal(int number) { ::kill(m_pid, number); }

    struct Finished {
        int exitCode = -1; // -1 when killed or never run
        std::string out;
        std::string err;
    };
    // Reads both outputs to their end and reaps the child, killed if it
    // still runs after Patience.
    Finished finish() {
        const auto deadline = Clock::now() + Patience;
        Finished done{-1, std::move(m_out), ""};
        readUntil(m_fds[1], done.out, [] { return false; });
        readUntil(m_fds[2], done.err, [] { return false; });
        if (m_pid > 0 && Clock::now() >= deadline)
            ::kill(m_pid, SIGKILL);
        int status = 0;
        if (m_pid > 0 && ::waitpid(std::exchange(m_pid, -1), &status, 0) > 0)
            done.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return done;
    }

private:
    pid_t m_pid = -1;
    std::array<int, 3> m_fds{-1, -1, -1}; // the child's input, output and error
    std::string m_out;
};

} // namespace marlow::e2e
