// The boardsim tool end to end: it prints its pseudo-terminal, answers there
// at the line rate, takes positions on stdin and stops on a signal; and it
// prints the scenario it would serve.
#include "CommandLine.h"
#include "Frames.h"
#include "ScenarioJson.h"
#include "TempDir.h"
#include "board/Board.h"
#include "board/PathLossRadio.h"
#include "board/Transmission.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace marlow::sim {
namespace {

using test::Bytes;

Bytes text(std::string_view s) {
    return {s.begin(), s.end()};
}

void sendAll(int fd, const Bytes& bytes) {
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// What arrives until done says so (or a guard time against a hang passes).
Bytes readUntil(int fd, const std::function<bool(const Bytes&)>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    Bytes got;
    std::uint8_t buffer[4096];
    while (!done(got) && std::chrono::steady_clock::now() < deadline) {
        pollfd readable{fd, POLLIN, 0};
        const ssize_t count = ::poll(&readable, 1, 100) == 1 ? ::read(fd, buffer, 4096) : -1;
        if (count == 0)
            break;
        got.insert(got.end(), buffer, buffer + std::max<ssize_t>(count, 0));
    }
    return got;
}

bool endsLine(const Bytes& bytes) {
    return !bytes.empty() && bytes.back() == '\n';
}

TEST(BoardsimTool, ServesItsTerminalAtTheLineRateWhereStdinSaysTheSurveyorStands) {
    marlow::test::TempDir dir;
    const std::string errors = dir.file("stderr");
    int in[2];
    int out[2];
    ASSERT_EQ(::pipe2(in, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT, 0644);
    std::string args[] = {BOARDSIM_BINARY, "--seed", "3"};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, BOARDSIM_BINARY, &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);

    const Bytes device = readUntil(out[0], endsLine);
    const std::string path(device.begin(), device.end() - (endsLine(device) ? 1 : 0));
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    const int handheld = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(handheld, 0);
    // Keep-alive zeros before the firmware request.
    sendAll(handheld, {0x00, 0x00, 0x11, 0x12, 0x01, 0x11, 0x13});
    EXPECT_EQ(readUntil(handheld, [](const Bytes& b) { return b.size() >= 10; }),
              (Bytes{0x11, 0x12, 0x01, '1', '.', '0', '7', 0, 0x11, 0x13}));

    // Standing under the office's channel-1 access point at (110, 70).
    sendAll(in[1], text("nonsense\n\n  at 110 70\n"));
    EXPECT_EQ(readUntil(out[0], endsLine), text("position 110 70\n"));
    board::Scenario office = *scenarioFor(*parseCommandLine({"--seed", "3"}));
    board::PathLossRadio radio(office);
    board::Board reference({office.firmware, office.serial, false}, radio);
    radio.setSurveyPosition({110, 70});
    // Four scans, each asked for once the one before has ended: the same
    // bytes as the board in memory sends.
    const Bytes scan = test::frameBytes(3, Bytes{7});
    Bytes expected;
    Bytes got;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 4; ++i) {
        board::Transmission answer;
        reference.receive(scan, answer);
        while (reference.sweeping())
            reference.step(answer);
        const Bytes sweep = answer.bytes();
        expected.insert(expected.end(), sweep.begin(), sweep.end());
        sendAll(handheld, scan);
        const Bytes more = readUntil(
            handheld, [&](const Bytes& b) { return got.size() + b.size() >= expected.size(); });
        got.insert(got.end(), more.begin(), more.end());
    }
    ASSERT_GE(expected.size(), 4000u);
    EXPECT_EQ(got, expected);
    // 3840 bytes a second: 4000 bytes take more than a second.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));

    // Stopping in the middle of a paced scan.
    sendAll(handheld, scan);
    readUntil(handheld, [](const Bytes& b) { return !b.empty(); });
    ::kill(pid, SIGTERM);
    int status = -1;
    ::waitpid(pid, &status, 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(marlow::test::readBytes(errors),
              text("boardsim: ignoring \"nonsense\": expected \"at X Y\"\n"));
    for (int fd : {handheld, in[1], out[0]})
        ::close(fd);
}

TEST(BoardsimTool, PrintsTheScenarioInUseForScenarioToRead) {
    marlow::test::TempDir dir;
    const std::string printed = dir.file("printed.json");
    auto run = [&](std::vector<std::string> args) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, printed.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        args.insert(args.begin(), BOARDSIM_BINARY);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        pid_t pid = -1;
        int status = -1;
        if (posix_spawn(&pid, BOARDSIM_BINARY, &actions, nullptr, argv.data(), environ) == 0)
            ::waitpid(pid, &status, 0);
        posix_spawn_file_actions_destroy(&actions);
        return status;
    };
    ASSERT_EQ(run({"--seed", "5", "--print-scenario"}), 0);
    Result<board::Scenario> office = loadScenario(printed);
    ASSERT_TRUE(office) << office.error().message;
    board::Scenario expected = *scenarioFor(*parseCommandLine({}));
    expected.seed = 5;
    EXPECT_EQ(*office, expected);

    // What it printed is a scenario it reads: printing that gives the same.
    const std::string first = dir.file("first.json");
    std::filesystem::rename(printed, first);
    ASSERT_EQ(run({"--scenario", first, "--print-scenario"}), 0);
    EXPECT_EQ(marlow::test::readBytes(printed), marlow::test::readBytes(first));
}

} // namespace
} // namespace marlow::sim
