// The boardcheck tool end to end: run against boardsim, each in a process of
// its own, on the pseudo-terminal that boardsim prints; against a board that
// never answers, one that never ends its scan, and a port that is not there.
#include "ChildProcess.h"
#include "ExpectedScan.h"
#include "SimulatedBoard.h"
#include "TempDir.h"
#include "boardsim/PseudoTerminal.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <sstream>
#include <unistd.h>

namespace marlow::e2e {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* BoardsimBinary = BOARDSIM_BINARY;
constexpr const char* BoardcheckBinary = BOARDCHECK_BINARY;

// Under the office's access point on channel 1.
constexpr sim::Point NearOfficeAp{110, 70};

// boardsim serving on its pseudo-terminal. The port's exclusive use outlasts
// the handheld's close while boardsim keeps the terminal open, so each check
// gets a board of its own.
class Boardsim {
public:
    explicit Boardsim(std::vector<std::string> args) : m_process(BoardsimBinary, withArgs(args)) {
        m_device = m_process.readLine();
    }
    const std::string& device() const { return m_device; }
    // Tells the board where the surveyor stands; true once it has taken it.
    bool standAt(sim::Point at) {
        std::ostringstream command;
        command << at.x << ' ' << at.y;
        m_process.writeInput("at " + command.str() + "\n");
        return m_process.readLine() == "position " + command.str();
    }

private:
    static std::vector<std::string> withArgs(std::vector<std::string> args) {
        args.insert(args.begin(), "--no-pacing");
        return args;
    }

    ChildProcess m_process;
    std::string m_device;
};

ChildProcess::Finished boardcheck(const std::vector<std::string>& args) {
    return ChildProcess(BoardcheckBinary, args).finish();
}

std::vector<std::string> keysOf(const Json& object) {
    std::vector<std::string> keys;
    for (const auto& item : object.items())
        keys.push_back(item.key());
    return keys;
}

std::vector<std::string> wordsOf(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(BoardCheckTool, ScanAsJsonListsTheScenarioAccessPointsInListOrder) {
    Boardsim board({});
    ASSERT_EQ(board.device().rfind("/dev/pts/", 0), 0u) << board.device();
    ASSERT_TRUE(board.standAt(NearOfficeAp));

    const auto check = boardcheck({"--port", board.device(), "--scan", "--json"});
    ASSERT_EQ(check.exitCode, 0) << check.err;
    EXPECT_EQ(check.err, "");
    ASSERT_TRUE(check.out.ends_with("}\n")) << check.out;
    EXPECT_EQ(std::count(check.out.begin(), check.out.end(), '\n'), 1);

    const Json json = Json::parse(check.out);
    EXPECT_EQ(keysOf(json), (std::vector<std::string>{"firmware", "serial", "records"}));
    EXPECT_EQ(json.at("firmware"), "1.07");
    EXPECT_EQ(json.at("serial"), "TB-000417");
    std::vector<ScanRecord> records;
    for (const Json& record : json.at("records")) {
        EXPECT_EQ(keysOf(record), (std::vector<std::string>{"mac", "ssid", "channel", "samples",
                                                            "rssiSum", "rssi"}));
        const int samples = record.at("samples");
        const int sum = record.at("rssiSum");
        ASSERT_GT(samples, 0);
        EXPECT_EQ(record.at("rssi"), sum / samples) << record.dump();
        records.push_back(
            {record.at("mac"), record.at("ssid"), record.at("channel"), samples, sum});
    }
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records, expectedScan(officeBoard(), NearOfficeAp));
}

TEST(BoardCheckTool, WithoutScanPrintsTheBoardTexts) {
    Boardsim board({});
    const auto check = boardcheck({"--port", board.device()});
    EXPECT_EQ(check.exitCode, 0) << check.err;
    EXPECT_EQ(check.out, "firmware: 1.07\nserial: TB-000417\n");
    EXPECT_EQ(check.err, "");
}

TEST(BoardCheckTool, LowBatteryIsWarnedAndTheScanStillPrinted) {
    Boardsim board({"--low-battery"});
    ASSERT_TRUE(board.standAt(NearOfficeAp));
    const auto check = boardcheck({"--port", board.device(), "--scan"});
    EXPECT_EQ(check.exitCode, 0) << check.err;
    EXPECT_EQ(check.err, "WARNING: Product Battery is Low!\n");

    sim::BoardConfig config = officeBoard();
    config.lowBattery = true;
    const std::vector<ScanRecord> expected = expectedScan(config, NearOfficeAp);
    const std::vector<std::string> lines = linesOf(check.out);
    ASSERT_EQ(lines.size(), 3 + expected.size()) << check.out;
    EXPECT_EQ(lines[0], "firmware: 1.07");
    EXPECT_EQ(lines[1], "serial: TB-000417");
    EXPECT_EQ(lines[2], "access points: " + std::to_string(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const ScanRecord& r = expected[i];
        EXPECT_EQ(wordsOf(lines[3 + i]),
                  (std::vector<std::string>{r.mac, r.ssid, "channel", std::to_string(r.channel),
                                            "samples", std::to_string(r.samples), "rssi",
                                            std::to_string(r.rssiSum / r.samples)}));
    }
}

TEST(BoardCheckTool, EscapesTheBoardsBytesInBothOutputs) {
    test::TempDir dir;
    const std::string scenario = dir.file("odd.json");
    const Json odd = {
        {"firmware", "v\"1\\\x07"},
        {"serial", "SN-\xC3\xA9"},
        {"accessPoints",
         {{{"mac", "02:00:00:00:00:01"},
           {"ssid", "a\"b\\c\x01 \xC3\xBF"},
           {"channel", 6},
           {"x", 100},
           {"y", 100}}}},
    };
    const std::string text = odd.dump();
    test::writeBytes(scenario, test::Bytes(text.begin(), text.end()));

    {
        Boardsim board({"--scenario", scenario});
        ASSERT_TRUE(board.standAt({100, 100}));
        const auto check = boardcheck({"--port", board.device(), "--scan", "--json"});
        ASSERT_EQ(check.exitCode, 0) << check.err;
        EXPECT_NE(check.out.find(R"({"firmware":"v\"1\\\u0007","serial":"SN-\u00c3\u00a9",)"),
                  std::string::npos)
            << check.out;
        EXPECT_NE(check.out.find(R"("mac":"020000000001","ssid":"a\"b\\c\u0001 \u00c3\u00bf",)"),
                  std::string::npos)
            << check.out;
        EXPECT_TRUE(Json::accept(check.out)) << check.out;
    }
    {
        Boardsim board({"--scenario", scenario});
        const auto check = boardcheck({"--port", board.device()});
        EXPECT_EQ(check.exitCode, 0) << check.err;
        EXPECT_EQ(check.out, "firmware: v\"1\\\\x07\nserial: SN-\xC3\xA9\n");
    }
}

TEST(BoardCheckTool, PortThatCannotBeOpenedFails) {
    const auto check = boardcheck({"--port", "/nonexistent", "--scan", "--json"});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.out, "");
    EXPECT_EQ(check.err, "boardcheck: /nonexistent: Cannot Open Connection To Board.\n");
}

TEST(BoardCheckTool, BoardThatNeverAnswersTimesOut) {
    const sim::PseudoTerminal::Opened line = sim::PseudoTerminal::open();
    ASSERT_TRUE(line.terminal) << line.error;
    const std::string device = line.terminal->slavePath();
    const auto check = boardcheck({"--port", device, "--timeout", "1"});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.out, "");
    EXPECT_EQ(check.err, "boardcheck: no answer from the board on " + device + " within 1 s\n");
}

// Reads the master until the handheld has sent the frame; false after a
// generous guard time or when the line fails.
bool awaitFrame(int master, sim::FrameDecoder& decoder, const sim::Frame& wanted) {
    for (;;) {
        pollfd readable{master, POLLIN, 0};
        if (::poll(&readable, 1, static_cast<int>(Patience.count() * 1000)) <= 0)
            return false;
        std::uint8_t buffer[256];
        const ssize_t count = ::read(master, buffer, sizeof buffer);
        if (count < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (count <= 0)
            return false;
        const std::vector<sim::Frame> frames = decoder.feed({buffer, std::size_t(count)});
        if (std::find(frames.begin(), frames.end(), wanted) != frames.end())
            return true;
    }
}

void answer(int master, std::uint8_t type, const std::string& text) {
    sim::Bytes payload(text.begin(), text.end());
    payload.push_back(0);
    const sim::Bytes frame = sim::encodeFrame(type, payload);
    ASSERT_EQ(::write(master, frame.data(), frame.size()), ssize_t(frame.size()));
}

TEST(BoardCheckTool, ScanThatNeverEndsTimesOut) {
    const sim::PseudoTerminal::Opened line = sim::PseudoTerminal::open();
    ASSERT_TRUE(line.terminal) << line.error;
    const int master = line.terminal->master();
    const std::string device = line.terminal->slavePath();
    ChildProcess tool(BoardcheckBinary, {"--port", device, "--scan", "--timeout", "5"});

    // This board answers the handshake, takes the scan command and is
    // never heard of again.
    sim::FrameDecoder decoder;
    ASSERT_TRUE(awaitFrame(master, decoder, {1, {}}));
    ASSERT_NO_FATAL_FAILURE(answer(master, 1, "0.99"));
    ASSERT_TRUE(awaitFrame(master, decoder, {2, {}}));
    ASSERT_NO_FATAL_FAILURE(answer(master, 2, "TB-000001"));
    ASSERT_TRUE(awaitFrame(master, decoder, {3, {7}}));

    const auto check = tool.finish();
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_EQ(check.out, "");
    EXPECT_EQ(check.err,
              "boardcheck: the board on " + device + " did not complete the scan within 5 s\n");
}

TEST(BoardCheckTool, UsageErrorsExitWithTwo) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--bogus"}, "boardcheck: unknown option \"--bogus\"\n"},
        {{"--scan", "--port"}, "boardcheck: --port needs a value\n"},
        {{"--port", ""}, "boardcheck: --port needs a device\n"},
        {{"--timeout", "0"},
         "boardcheck: --timeout: expected a number of seconds above 0 and "
         "up to 3600, got \"0\"\n"},
        {{"--timeout", "soon"}, "boardcheck: --timeout: expected"},
        {{"--timeout", "nan"}, "boardcheck: --timeout: expected"},
        {{"--timeout", "5s"}, "boardcheck: --timeout: expected"},
        {{"--timeout", "7200"}, "boardcheck: --timeout: expected"},
    };
    for (const auto& [args, message] : cases) {
        const auto check = boardcheck(args);
        EXPECT_EQ(check.exitCode, 2) << args.back();
        EXPECT_EQ(check.out, "") << args.back();
        EXPECT_EQ(check.err.rfind(message, 0), 0u) << check.err;
        EXPECT_TRUE(check.err.ends_with("Try \"boardcheck --help\".\n")) << check.err;
    }
    const auto help = boardcheck({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: boardcheck [--port DEVICE] [--scan] [--json] [--timeout "
                             "SECONDS]\n",
                             0),
              0u);
}

} // namespace
} // namespace marlow::e2e
