// The boardcheck tool end to end: against the boardsim tool, each in a
// process of its own, on the pseudo-terminal that boardsim prints; and
// against a board that never answers.
#include "ChildProcess.h"
#include "OfficeScan.h"
#include "board/PseudoTerminal.h"

#include <gtest/gtest.h>

namespace marlow::e2e {
namespace {

TEST(BoardCheckTool, ListsBoardsimsScanAsJsonAndTimesOutOnASilentBoard) {
    ChildProcess boardsim(BOARDSIM_BINARY, {"--no-pacing"});
    const std::string device = boardsim.readLine();
    ASSERT_TRUE(device.starts_with("/dev/pts/")) << device;
    const std::string at =
        std::to_string(int(NearOfficeAp.x)) + " " + std::to_string(int(NearOfficeAp.y));
    ASSERT_TRUE(boardsim.writeInput("at " + at + "\n"));
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

    const Result<std::unique_ptr<board::PseudoTerminal>> silent = board::PseudoTerminal::open();
    ASSERT_TRUE(silent) << silent.error().message;
    const std::string silentDevice = (*silent)->slavePath();
    const auto timedOut =
        ChildProcess(BOARDCHECK_BINARY, {"--port", silentDevice, "--timeout", "1"}).finish();
    EXPECT_EQ(timedOut.exitCode, 1);
    EXPECT_EQ(timedOut.out, "");
    EXPECT_EQ(timedOut.err,
              "boardcheck: no answer from the board on " + silentDevice + " within 1 s\n");
}

} // namespace
} // namespace marlow::e2e
