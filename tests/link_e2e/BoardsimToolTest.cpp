// The boardsim tool end to end: it prints the scenario it would serve, and
// serves it on the pseudo-terminal it prints, from where its standard input
// says the surveyor stands, until a signal stops it in the middle of a paced
// scan. What the board answers there is the board library's, tested in
// memory; what a scan through the tool holds, the boardcheck test shows.
#include "ChildProcess.h"
#include "CommandLine.h"
#include "Frames.h"
#include "ScenarioJson.h"
#include "TempDir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace marlow::e2e {
namespace {

TEST(BoardsimTool, PrintsItsScenarioAndServesItOnItsTerminalUntilStopped) {
    const board::Scenario office = *sim::scenarioFor(*sim::parseCommandLine({"--seed", "3"}));
    const auto printed =
        ChildProcess(BOARDSIM_BINARY, {"--seed", "3", "--print-scenario"}).finish();
    EXPECT_EQ(printed.exitCode, 0);
    EXPECT_EQ(printed.out, sim::scenarioJson(office));
    // What it printed is a scenario it reads.
    test::TempDir dir;
    std::ofstream(dir.file("office.json")) << printed.out;
    EXPECT_EQ(
        ChildProcess(BOARDSIM_BINARY, {"--scenario", dir.file("office.json"), "--print-scenario"})
            .finish()
            .out,
        printed.out);

    ChildProcess boardsim(BOARDSIM_BINARY, {});
    const std::string device = boardsim.readLine();
    ASSERT_TRUE(device.starts_with("/dev/pts/")) << device;
    ASSERT_TRUE(boardsim.writeInput("nonsense\n\n  at 110 70\n"));
    EXPECT_EQ(boardsim.readLine(), "position 110 70");
    const int handheld = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(handheld, 0);
    const test::Bytes scan = test::frameBytes(3, test::Bytes{7});
    ASSERT_EQ(::write(handheld, scan.data(), scan.size()), 6);
    std::string got;
    EXPECT_TRUE(readUntil(handheld, got, [&] { return !got.empty(); }));
    boardsim.signal(SIGTERM);
    const auto stopped = boardsim.finish();
    EXPECT_EQ(stopped.exitCode, 0);
    EXPECT_EQ(stopped.err, "boardsim: ignoring \"nonsense\": expected \"at X Y\"\n");
    ::close(handheld);
}

TEST(BoardsimTool, RefusesAScenarioNestedTooDeep) {
    test::TempDir dir;
    const std::string path = dir.file("deep.json");
    std::ofstream(path) << R"({"transmitters": )" << std::string(100000, '[')
                        << std::string(100000, ']') << "}";
    const auto refused =
        ChildProcess(BOARDSIM_BINARY, {"--scenario", path, "--print-scenario"}).finish();
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "boardsim: " + path + ": nested deeper than 64 levels\n");
}

} // namespace
} // namespace marlow::e2e
