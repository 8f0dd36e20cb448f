// The program killed outright after committing points: a child run of these
// tests takes points with the simulated board and is sent SIGKILL; opened
// again and restored, the site's store equals that of a session that took the
// same points without interruption, and saving both gives the same bytes.
#include "AppHarness.h"
#include "board/Simulator.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace marlow::test {
namespace {

// Where each point is tapped; each tap centres the map on the point taken.
const std::vector<QPoint> Points{{80, 94}, {180, 174}, {160, 194}};
constexpr const char* SiteVariable = "MARLOW_KILL_TEST_SITE";
constexpr const char* CommittedLine = "marlow-kill-test: points committed\n";
constexpr std::uint32_t SaveTime = 1'700'000'000;

// The program with a client area of the site's size and a noiseless
// simulated board told where each point is taken, as the demo's is.
struct Survey {
    std::unique_ptr<board::BoardServer> board; // outlives the program's link
    TestProgram program;

    void open(const std::string& site) {
        board::SimulatorConfig config;
        config.line.pacing = false;
        config.scenario.pathLoss.noiseDb = 0;
        config.scenario.accessPoints = {
            {{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}, "lab", 1, 40, 40, -10},
            {{0x00, 0x11, 0x22, 0x33, 0x44, 0x66}, "hall", 11, 200, 220, 0}};
        board = board::makeSimulator(std::move(config));
        ASSERT_TRUE(board->startOnPseudoTerminal());
        program.view.session().setPointListener([this](std::int32_t x, std::int32_t y) {
            board->setSurveyPosition({static_cast<double>(x), static_cast<double>(y)});
        });
        program.start(board->devicePath());
        program.setClientSize(240, 268);
        ASSERT_TRUE(program.view.openSiteFile(site));
    }
    // Taps each point and waits until its scan is committed (and journalled).
    void takePoints() {
        for (std::size_t i = 0; i < Points.size(); ++i) {
            QTest::mouseClick(program.view.viewport(), Qt::LeftButton, {}, Points[i]);
            ASSERT_TRUE(waitFor([&] {
                return program.view.session().site()->locationCount == std::int32_t(i + 1);
            }));
        }
    }
};

// Run only as the child: takes the points, says so, and waits to be killed.
TEST(KillChild, DISABLED_TakesPointsThenWaitsToBeKilled) {
    const char* site = std::getenv(SiteVariable);
    ASSERT_NE(site, nullptr);
    Survey survey;
    ASSERT_NO_FATAL_FAILURE(survey.open(site));
    ASSERT_NO_FATAL_FAILURE(survey.takePoints());
    std::fputs(CommittedLine, stdout);
    std::fflush(stdout);
    for (;;)
        ::pause();
}

// This test binary run as the child on the site, journalling into state; its
// standard output on a pipe. Killed and reaped if still running at the end.
struct Child {
    Child(const std::string& site, const std::string& state) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0)
            return;
        std::vector<std::string> env{std::string(SiteVariable) + "=" + site,
                                     "MARLOW_TEST_STATE=" + state};
        for (char** e = environ; *e; ++e)
            env.emplace_back(*e);
        std::vector<char*> envp, argv;
        for (std::string& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string args[] = {"app_tests", "--gtest_also_run_disabled_tests",
                              "--gtest_filter=KillChild.*"};
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        if (::posix_spawn(&pid, "/proc/self/exe", &actions, nullptr, argv.data(), envp.data()) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        output = out[0];
    }
    ~Child() {
        if (pid > 0)
            kill();
        ::close(output);
    }
    // Reads the child's output until the committed line; false at its end
    // or after a guard time.
    bool waitForCommitted() {
        while (text.find(CommittedLine) == std::string::npos) {
            pollfd readable{output, POLLIN, 0};
            char buffer[4096];
            if (::poll(&readable, 1, 20000) <= 0)
                return false;
            const ssize_t count = ::read(output, buffer, sizeof buffer);
            if (count <= 0)
                return false;
            text.append(buffer, std::size_t(count));
        }
        return true;
    }
    // SIGKILL, then the status it ended with.
    int kill() {
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(std::exchange(pid, -1), &status, 0);
        return status;
    }

    pid_t pid = -1;
    int output = -1;
    std::string text;
};

TEST(KillTest, KilledAfterCommittedPointsRestoresTheStoreAndSavesTheSameBytes) {
    TempDir dir, state;
    const std::string killed = bandSite(dir, 240, 268);
    const std::string uninterrupted = dir.file("uninterrupted.tws");
    std::filesystem::copy_file(killed, uninterrupted);

    Child child(killed, state.path());
    ASSERT_GT(child.pid, 0);
    ASSERT_TRUE(child.waitForCommitted()) << child.text;
    const int status = child.kill();
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

    // This process journals into the same state folder from here on.
    const std::string ownState = std::getenv("XDG_STATE_HOME");
    ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    std::vector<SurveyRecord> expected;
    {
        Survey survey;
        ASSERT_NO_FATAL_FAILURE(survey.open(uninterrupted));
        ASSERT_NO_FATAL_FAILURE(survey.takePoints());
        for (const SurveyRecord& r : SurveyStore)
            expected.push_back(r);
        ASSERT_TRUE(survey.program.view.session().saveSiteData(BlankSignature{}, SaveTime));
    }
    {
        TestProgram program; // no board: restoring needs none
        ASSERT_TRUE(program.view.openSiteFile(killed));
        const std::vector<std::string> asked = program.boxes.texts();
        EXPECT_EQ(std::ranges::count_if(asked,
                                        [](const std::string& text) {
                                            return text.starts_with(
                                                "3 survey points from an unsaved session");
                                        }),
                  1)
            << ::testing::PrintToString(asked);
        EXPECT_EQ(program.view.session().site()->locationCount, std::int32_t(Points.size()));
        EXPECT_TRUE(sameRecords(SurveyStore, expected))
            << ::testing::PrintToString(describe(SurveyStore));
        ASSERT_TRUE(program.view.session().saveSiteData(BlankSignature{}, SaveTime));
    }
    ::setenv("XDG_STATE_HOME", ownState.c_str(), 1);
    EXPECT_EQ(expected.size(), 2 * Points.size()); // both heard at every point
    EXPECT_EQ(readBytes(killed), readBytes(uninterrupted));
}

} // namespace
} // namespace marlow::test
