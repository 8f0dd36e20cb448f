// The boardsim tool end to end, and its command line and stdin commands.
#include "Handheld.h"
#include "TempDir.h"
#include "boardsim/CommandLine.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace marlow::sim {
namespace {

constexpr const char* BoardsimBinary = BOARDSIM_BINARY;

// A running boardsim with its stdin and stdout on pipes and its stderr in
// a file.
class Tool {
public:
    explicit Tool(const std::vector<std::string>& args) : m_errPath(m_dir.file("stderr")) {
        int in[2];
        int out[2];
        EXPECT_EQ(::pipe2(in, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, m_errPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<char*> argv{const_cast<char*>(BoardsimBinary)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&m_pid, BoardsimBinary, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        m_in = in[1];
        m_out = out[0];
    }
    ~Tool() {
        closeInput();
        ::close(m_out);
        if (m_pid > 0)
            ::kill(m_pid, SIGKILL), ::waitpid(m_pid, nullptr, 0);
    }

    void write(const std::string& text) {
        EXPECT_EQ(::write(m_in, text.data(), text.size()), ssize_t(text.size()));
    }
    void closeInput() {
        if (m_in >= 0)
            ::close(m_in);
        m_in = -1;
    }
    // The next line of stdout; empty at its end (or after a guard time).
    std::string readLine() {
        std::string line;
        char c = 0;
        pollfd readable{m_out, POLLIN, 0};
        while (::poll(&readable, 1, 20000) == 1 && ::read(m_out, &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }
    int exitCode() {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void signal(int number) { ::kill(m_pid, number); }
    std::string errors() const {
        const marlow::test::Bytes bytes = marlow::test::readBytes(m_errPath);
        return {bytes.begin(), bytes.end()};
    }

private:
    marlow::test::TempDir m_dir;
    std::string m_errPath;
    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
};

TEST(BoardsimTool, HelpShowsTheUsage) {
    Tool tool({"--help"});
    EXPECT_EQ(tool.readLine().rfind("Usage: boardsim", 0), 0u);
    EXPECT_EQ(tool.exitCode(), 0);
}

TEST(BoardsimTool, RefusesBadOptionsAndScenarios) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--bogus"}, "boardsim: unknown option \"--bogus\"\nTry \"boardsim --help\".\n"},
        {{"--scenario"}, "boardsim: --scenario needs a value"},
        {{"--seed", "-3"}, "boardsim: --seed: expected a number from 0 to 4294967295, got \"-3\""},
        {{"--faults", "stall,loud"}, "boardsim: --faults: unknown fault \"loud\""},
        {{"--scenario", "/nonexistent/site.json"},
         "boardsim: /nonexistent/site.json: cannot read: No such file or directory"},
    };
    for (const auto& [args, message] : cases) {
        Tool tool(args);
        EXPECT_EQ(tool.readLine(), "") << args[0];
        EXPECT_EQ(tool.exitCode(), 2) << args[0];
        EXPECT_EQ(tool.errors().rfind(message, 0), 0u) << tool.errors();
    }
}

TEST(BoardsimTool, ServesUntilStdinEnds) {
    Tool tool({"--no-pacing", "--seed", "3"});
    const std::string device = tool.readLine();
    ASSERT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;
    test::PtyClient handheld(device);
    ASSERT_TRUE(handheld.isOpen());
    handheld.send(test::frameOf(1));
    EXPECT_EQ(handheld.readThrough(1).at(0).type, 1);

    // Standing under the office's channel-1 access point at (110, 70).
    tool.write("nonsense\n\n  at 110 70\n");
    EXPECT_EQ(tool.readLine(), "position 110 70");
    handheld.send(test::frameOf(3, {7}));
    int strongest = -128;
    for (const test::Message& m : handheld.readThrough(17)) {
        const test::ReportView report = test::viewReport(m.payload);
        if (m.type == 15 && report.mac == "001A2B3C0101")
            strongest = std::max<int>(strongest, report.rssi);
    }
    EXPECT_GE(strongest, -40);

    tool.closeInput();
    EXPECT_EQ(tool.exitCode(), 0);
    EXPECT_EQ(tool.errors(), "boardsim: ignoring \"nonsense\": expected \"at X Y\"\n");
}

TEST(BoardsimTool, StopsOnTerminate) {
    for (int number : {SIGTERM, SIGINT}) {
        Tool tool({});
        ASSERT_NE(tool.readLine(), "");
        tool.signal(number);
        EXPECT_EQ(tool.exitCode(), 0) << number;
    }
}

TEST(BoardsimCommandLine, OptionsSetTheConfiguration) {
    const CommandLine line =
        parseCommandLine({"--no-pacing", "--low-battery", "--silent", "--faults", "stall",
                          "--faults", "garbage", "--seed", "4294967295"});
    ASSERT_EQ(line.error, "");
    const ConfigResult setup = configFor(line);
    ASSERT_EQ(setup.error, "");
    EXPECT_FALSE(setup.config.pacing);
    EXPECT_TRUE(setup.config.board.lowBattery);
    EXPECT_TRUE(setup.config.board.silent);
    EXPECT_EQ(setup.config.board.faults, (FaultSet{Fault::Garbage, Fault::Stall}));
    EXPECT_EQ(setup.config.board.scenario.seed, 4294967295u);
    EXPECT_TRUE(configFor(parseCommandLine({})).config.pacing);
}

TEST(BoardsimCommandLine, PositionCommands) {
    EXPECT_EQ(parsePositionCommand("at 120 80")->x, 120);
    EXPECT_EQ(parsePositionCommand("\tat  -3.5 1e2 \r")->y, 100);
    for (const char* bad : {"at 1", "at 1 2 3", "to 1 2", "at x 2", "at 1 nan", "at 1 2x", ""})
        EXPECT_FALSE(parsePositionCommand(bad)) << bad;
}

} // namespace
} // namespace marlow::sim
