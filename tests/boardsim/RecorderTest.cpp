// Recording sweeps to a file: each sweep is one whole line, a later
// recording under the same name adds to the earlier one, and a sweep the
// disk cannot take in full leaves the file as it was. And wifiboard's
// options.
#include "SweepRecorder.h"
#include "TempDir.h"
#include "WifiboardCommandLine.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace marlow::sweeplog {
namespace {

RecordedSweep sweepHearing(std::size_t count) {
    RecordedSweep recorded;
    recorded.sweep.heard.assign(
        count, {{2, 0, 0, 0, 0, 1}, 2412, -5000, std::vector<std::uint8_t>(40, 0xDD), 0, false});
    return recorded;
}

TEST(SweepRecorder, AppendsWholeSweepsAndLeavesNoPartOfOneTheDiskRefused) {
    test::TempDir folder;
    const std::string path = folder.file("walk.jsonl");
    for (std::size_t run = 1; run <= 2; ++run) {
        Result<SweepRecorder> recorder = SweepRecorder::open(path);
        ASSERT_TRUE(recorder) << recorder.error().message;
        ASSERT_TRUE(recorder->append(sweepHearing(run)));
    }
    const std::uintmax_t whole = std::filesystem::file_size(path);

    // A file-size limit just past the end stands in for a full disk: the
    // next sweep goes in only in part, and must come out again.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(whole + 100), static_cast<rlim_t>(whole + 100)};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        Result<SweepRecorder> recorder = SweepRecorder::open(path);
        const bool refused = recorder && !recorder->append(sweepHearing(50));
        ::_exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the sweep too big for the disk was not refused";
    EXPECT_EQ(std::filesystem::file_size(path), whole);

    const Result<std::vector<RecordedSweep>> read = loadSweeps(path);
    ASSERT_TRUE(read) << read.error().message;
    ASSERT_EQ(read->size(), 2U);
    EXPECT_EQ((*read)[1].sweep.heard.size(), 2U);

    const Result<SweepRecorder> device = SweepRecorder::open("/dev/full");
    ASSERT_FALSE(device);
    EXPECT_EQ(device.error().message, "cannot record to /dev/full: not a regular file");
}

TEST(WifiboardCommandLine, OptionsAndTheirMistakes) {
    const Result<wifiboard::CommandLine> line = wifiboard::parseCommandLine(
        {"--interface", "wlan1", "--bands", "2.4,5", "--serial", "/dev/ttyUSB0", "--record",
         "walk.jsonl", "--sweep-limit", "8"});
    ASSERT_TRUE(line) << line.error().message;
    EXPECT_EQ(std::tuple(line->interfaceName, line->bands.ghz5, line->serialDevice,
                         line->recordPath, line->sweepLimit),
              std::tuple("wlan1", true, "/dev/ttyUSB0", "walk.jsonl", std::chrono::seconds(8)));
    for (const std::vector<std::string>& bad : {std::vector<std::string>{"--record"},
                                                {"--bands", "6"},
                                                {"--sweep-limit", "0"},
                                                {"--sweep-limit", "9x"},
                                                {"wlan0"}})
        EXPECT_FALSE(wifiboard::parseCommandLine(bad)) << bad[0];
}

} // namespace
} // namespace marlow::sweeplog
