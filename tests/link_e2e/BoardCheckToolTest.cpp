// The boardcheck tool end to end: against the boardsim tool, each in a
// process of its own, on the pseudo-terminal that boardsim prints; against a
// board that never answers; and against a board the test plays itself.
#include "ChildProcess.h"
#include "Frames.h"
#include "OfficeScan.h"
#include "board/PseudoTerminal.h"
#include "protocol/Protocol.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace marlow::e2e {
namespace {

// The board's end of a pseudo-terminal, played frame by frame.
class ScriptedBoard {
public:
    explicit ScriptedBoard(int master) : m_master(master) {}

    // Waits for the handheld's next frame of this type; false when none came
    // within Patience.
    bool await(std::uint8_t type) {
        return readUntil(m_master, m_heard, [&] {
            const std::vector<test::Frame> frames = test::framesIn(
                std::span(reinterpret_cast<const std::uint8_t*>(m_heard.data()), m_heard.size()));
            while (m_taken < frames.size())
                if (frames[m_taken++].type == type)
                    return true;
            return false;
        });
    }
    bool send(std::uint8_t type, const test::Bytes& payload = {}) {
        const test::Bytes bytes = test::frameBytes(type, payload);
        return ::write(m_master, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    }

private:
    int m_master;
    std::string m_heard;
    std::size_t m_taken = 0;
};

test::Bytes beaconReport(std::int8_t rssi, std::uint8_t last, std::string_view ssid,
                         std::uint8_t channel) {
    return test::reportWith(
        rssi, last,
        {{report::SsidElement, test::textBytes(ssid)}, {report::DsParameterElement, {channel}}});
}

TEST(BoardCheckTool, ListsOnlyWhatItsOwnScanHeard) {
    const Result<std::unique_ptr<board::PseudoTerminal>> line = board::PseudoTerminal::open();
    ASSERT_TRUE(line) << line.error().message;
    ChildProcess check(BOARDCHECK_BINARY, {"--port", (*line)->slavePath(), "--scan", "--json"});
    ScriptedBoard board((*line)->master());

    // Before it answers the handshake the board reports an access point and
    // ends a scan nobody asked for.
    ASSERT_TRUE(board.await(msg::FirmwareRequest));
    ASSERT_TRUE(board.send(msg::ApReport, beaconReport(-40, 1, "before", 11)));
    ASSERT_TRUE(board.send(msg::ScanComplete));
    ASSERT_TRUE(board.send(msg::FirmwareText, test::textBytes("2.01")));
    ASSERT_TRUE(board.await(msg::SerialRequest));
    ASSERT_TRUE(board.send(msg::SerialText, test::textBytes("TB-1")));
    // Then the scan, as the board sends one: the channel first.
    ASSERT_TRUE(board.await(msg::Command));
    ASSERT_TRUE(board.send(msg::ScanChannel, {6}));
    // Time enough for a tool that took the early ScanComplete for the end of
    // this scan to print its list before the report comes.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(board.send(msg::ApReport, beaconReport(-62, 2, "lab", 6)));
    ASSERT_TRUE(board.send(msg::ScanComplete));

    const auto checked = check.finish();
    EXPECT_EQ(checked.exitCode, 0) << checked.err;
    EXPECT_EQ(checked.out, R"({"firmware":"2.01","serial":"TB-1","records":[)"
                           R"({"mac":"001122334402","ssid":"lab","channel":6,"samples":1,)"
                           R"("rssiSum":-62,"rssi":-62}]})"
                           "\n");
}

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
