// The boardcheck tool end to end: against the boardsim tool, each in a
// process of its own, on the pseudo-terminal that boardsim prints; and
// against a board that never answers.
#include "OfficeScan.h"
#include "board/PseudoTerminal.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace marlow::e2e {
namespace {

using Clock = std::chrono::steady_clock;

// A tool run as a child process with its standard streams on pipes that the
// test holds; killed if it still runs when the test lets it go.
class ChildProcess {
public:
    ChildProcess(const std::string& program, std::vector<std::string> args) {
        int in[2], out[2], err[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 ||
            ::pipe2(err, O_CLOEXEC) != 0)
            throw std::runtime_error("cannot make pipes for " + program);
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
        const int spawned =
            ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        for (const int unused : {in[0], out[1], err[1]})
            ::close(unused);
        m_fds = {in[1], out[0], err[0]};
        if (spawned != 0) {
            m_pid = -1;
            throw std::runtime_error("cannot run " + program);
        }
    }
    ~ChildProcess() {
        for (const int fd : m_fds)
            ::close(fd);
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
    }

    void writeInput(std::string_view text) {
        ASSERT_EQ(::write(m_fds[0], text.data(), text.size()), ssize_t(text.size()));
    }
    // The next line of standard output, without its newline; empty at its
    // end or after a generous guard time.
    std::string readLine() {
        const auto deadline = Clock::now() + Patience;
        while (m_out.find('\n') == std::string::npos && readSome(m_fds[1], m_out, deadline)) {
        }
        const std::string line = m_out.substr(0, m_out.find('\n'));
        m_out.erase(0, line.size() + 1);
        return line;
    }

    struct Finished {
        int exitCode = -1; // -1 when killed
        std::string out;
        std::string err;
    };
    // Reads both outputs to their end and reaps the child; after a generous
    // guard time the child is killed.
    Finished finish() {
        const auto deadline = Clock::now() + Patience;
        Finished done{-1, std::move(m_out), ""};
        while (readSome(m_fds[1], done.out, deadline)) {
        }
        while (readSome(m_fds[2], done.err, deadline)) {
        }
        if (Clock::now() >= deadline)
            ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(std::exchange(m_pid, -1), &status, 0);
        done.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return done;
    }

private:
    // Appends what one read gives; false at the end of the stream or once
    // the deadline has passed.
    static bool readSome(int fd, std::string& text, Clock::time_point deadline) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd readable{fd, POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&readable, 1, int(left.count())) : 0;
        if (ready <= 0)
            return ready < 0 && errno == EINTR;
        std::array<char, 4096> buffer{};
        const ssize_t count = ::read(fd, buffer.data(), buffer.size());
        if (count > 0)
            text.append(buffer.data(), static_cast<std::size_t>(count));
        return count > 0 || (count < 0 && errno == EINTR);
    }

    pid_t m_pid = -1;
    std::array<int, 3> m_fds{-1, -1, -1}; // the child's input, output and error
    std::string m_out;
};

TEST(BoardCheckTool, ScanAsJsonListsTheScenarioAccessPointsInListOrder) {
    ChildProcess boardsim(BOARDSIM_BINARY, {"--no-pacing"});
    const std::string device = boardsim.readLine();
    ASSERT_TRUE(device.starts_with("/dev/pts/")) << device;
    const std::string at =
        std::to_string(int(NearOfficeAp.x)) + " " + std::to_string(int(NearOfficeAp.y));
    ASSERT_NO_FATAL_FAILURE(boardsim.writeInput("at " + at + "\n"));
    ASSERT_EQ(boardsim.readLine(), "position " + at);

    const auto check =
        ChildProcess(BOARDCHECK_BINARY, {"--port", device, "--scan", "--json"}).finish();
    EXPECT_EQ(check.exitCode, 0) << check.err;
    EXPECT_EQ(check.err, "");
    // One line; rssi is the average as the commit computes it.
    std::string expected = R"({"firmware":"1.07","serial":"TB-000417","records":[)";
    for (const auto& [mac, ssid, channel, samples, sum] : OfficeScanNearAp)
        expected += R"({"mac":")" + mac + R"(","ssid":")" + ssid + R"(","channel":)" +
                    std::to_string(channel) + R"(,"samples":)" + std::to_string(samples) +
                    R"(,"rssiSum":)" + std::to_string(sum) + R"(,"rssi":)" +
                    std::to_string(sum / samples) + "},";
    expected.back() = ']';
    EXPECT_EQ(check.out, expected + "}\n");
}

TEST(BoardCheckTool, BoardThatNeverAnswersTimesOut) {
    const Result<std::unique_ptr<board::PseudoTerminal>> line = board::PseudoTerminal::open();
    ASSERT_TRUE(line) << line.error().message;
    const std::string device = (*line)->slavePath();
    const auto check =
        ChildProcess(BOARDCHECK_BINARY, {"--port", device, "--timeout", "1"}).finish();
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.out, "");
    EXPECT_EQ(check.err, "boardcheck: no answer from the board on " + device + " within 1 s\n");
}

} // namespace
} // namespace marlow::e2e
