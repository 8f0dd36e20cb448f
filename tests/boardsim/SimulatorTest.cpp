// The boardsim tool end to end on its pseudo-terminal, talking to the tests'
// own handheld, and the simulator on a socket pair.
#include "Handheld.h"
#include "TempDir.h"
#include "boardsim/CommandLine.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace marlow::sim {
namespace {

using test::Message;

const Bytes Scan = encodeFrame(3, Bytes{7});

// A running boardsim with its stdin and stdout on pipes and its stderr in
// a file.
class Tool {
public:
    explicit Tool(std::vector<std::string> args) : m_errPath(m_dir.file("stderr")) {
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
        args.insert(args.begin(), BOARDSIM_BINARY);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&m_pid, BOARDSIM_BINARY, &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        input = std::make_unique<test::Line>(in[1]);
        m_output = std::make_unique<test::Line>(out[0]);
    }
    ~Tool() {
        input.reset();
        if (m_pid > 0)
            ::kill(m_pid, SIGKILL), ::waitpid(m_pid, nullptr, 0);
    }

    // The next line of stdout; empty at its end.
    std::string readLine() {
        const Bytes line = m_output->readUntil(
            [](const Bytes& bytes) { return !bytes.empty() && bytes.back() == '\n'; });
        return {line.begin(), line.end() - (line.empty() ? 0 : 1)};
    }
    int exitCode() {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void signal(int number) { ::kill(m_pid, number); }
    std::string errors() const {
        const Bytes bytes = marlow::test::readBytes(m_errPath);
        return {bytes.begin(), bytes.end()};
    }
    // Closed to end the tool's stdin.
    std::unique_ptr<test::Line> input;

private:
    marlow::test::TempDir m_dir;
    std::string m_errPath;
    pid_t m_pid = -1;
    std::unique_ptr<test::Line> m_output;
};

TEST(BoardsimTool, RefusesBadOptionsAndScenarios) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
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

// The board the tool plays with these options, for what it should send.
Board referenceBoard(const std::vector<std::string>& args) {
    return Board(configFor(parseCommandLine(args)).config.board);
}

TEST(BoardsimTool, ServesOnItsTerminalUntilStdinEnds) {
    const std::vector<std::string> args = {"--no-pacing", "--seed", "3", "--faults", "stall"};
    Tool tool(args);
    const std::string device = tool.readLine();
    ASSERT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;
    test::Line handheld(device);
    ASSERT_TRUE(handheld.isOpen());
    handheld.send(test::concat({{0x00, 0x00, 0x47, 0x11, 0x00}, encodeFrame(1, {})}));
    EXPECT_EQ(handheld.readThrough(1), (std::vector<Message>{{1, {'1', '.', '0', '7', 0}}}));

    // Standing under the office's channel-1 access point at (110, 70).
    const std::string commands = "nonsense\n\n  at 110 70\n";
    tool.input->send({commands.begin(), commands.end()});
    EXPECT_EQ(tool.readLine(), "position 110 70");
    const auto start = std::chrono::steady_clock::now();
    handheld.send(Scan);
    const std::vector<Message> scan = handheld.readThrough(17);
    EXPECT_GE(std::chrono::steady_clock::now() - start, StallLength);
    Board reference = referenceBoard(args);
    EXPECT_EQ(scan, test::scanAt(reference, {110, 70}));
    int strongest = -128;
    for (const Message& m : scan) {
        const test::ReportView report = test::viewReport(m.payload);
        if (m.type == 15 && report.mac == "001A2B3C0101")
            strongest = std::max<int>(strongest, report.rssi);
    }
    EXPECT_GE(strongest, -40);

    tool.input.reset();
    EXPECT_EQ(tool.exitCode(), 0);
    EXPECT_EQ(tool.errors(), "boardsim: ignoring \"nonsense\": expected \"at X Y\"\n");
}

TEST(BoardsimTool, PacesToTheLineRateAndStopsOnTerminate) {
    const std::vector<std::string> args = {"--faults", "oversize"}; // over 9000 bytes a scan
    Tool tool(args);
    test::Line handheld(tool.readLine());
    ASSERT_TRUE(handheld.isOpen());
    Board reference = referenceBoard(args);
    const Bytes expected = reference.receive(Scan).bytes();

    const auto start = std::chrono::steady_clock::now();
    handheld.send(Scan);
    const Bytes received = handheld.readUntil([](const Bytes& b) { return b.size() >= 4000; });
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_GE(received.size(), 4000u);
    EXPECT_EQ(received, Bytes(expected.begin(), expected.begin() + received.size()));
    // 3840 bytes a second: 4000 bytes take more than a second.
    EXPECT_GE(elapsed, std::chrono::milliseconds(800));
    // Stopping in the middle of a paced frame.
    tool.signal(SIGTERM);
    EXPECT_EQ(tool.exitCode(), 0);
}

TEST(SimulatorOnDescriptors, ServesASocketPair) {
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
    test::Line handheld(ends[1]);
    SimulatorConfig config;
    config.board = test::labConfig();
    Simulator simulator(config);
    ASSERT_EQ(simulator.startOnDescriptors(ends[0], ends[0]), "");
    EXPECT_EQ(simulator.startOnDescriptors(ends[0], ends[0]), "the simulator is already serving");
    EXPECT_EQ(simulator.devicePath(), "");
    handheld.send(test::concat({encodeFrame(2, {}), encodeFrame(1, {})}));
    EXPECT_EQ(handheld.readThrough(1),
              (std::vector<Message>{{2, {'T', 'B', '-', '0', '0', '0', '4', '1', '7', 0}},
                                    {1, {'1', '.', '0', '7', 0}}}));
    simulator.stop();
    ::close(ends[0]);
}

} // namespace
} // namespace marlow::sim
