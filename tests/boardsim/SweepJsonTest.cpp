// Recorded sweeps: a sweep written as a line reads back the same, bad lines
// are refused with the line and the field, and the replay goes round.
#include "SweepJson.h"

#include "ReplaySource.h"

#include <gtest/gtest.h>

namespace marlow::sweeplog {
namespace {

using namespace std::chrono;

// Written lines as the format has them, and each read back writes the same.
TEST(SweepJson, WhatIsWrittenReadsBackTheSame) {
    RecordedSweep full;
    full.time = sys_days(2026y / 12 / 7) + 4h + 53min + 45s + 120ms;
    full.position = board::SurveyPosition{120, -80.25};
    full.interfaceName = "wlp2s0";
    full.sweep = {
        {{{0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}, 2437, -4550, {0, 3, 0, 0xFF, 'a'}, 120, false},
         {{0, 0, 0, 0, 0, 1}, UINT32_MAX, INT32_MIN, {}, UINT32_MAX, true}},
        7,
        {"the scan was \"aborted\"", "caf\xC3\xA9"},
        true};
    RecordedSweep least;
    least.time = sys_days(1999y / 1 / 1);
    const std::pair<RecordedSweep, std::string> lines[] = {
        {full,
         R"({"time":"2026-12-07T04:53:45.120Z","interface":"wlp2s0","position":{"x":120.0,"y":-80.25},)"
         R"("bss":[{"bssid":"aa:bb:cc:dd:ee:ff","frequency":2437,"signal_mbm":-4550,)"
         R"("age_ms":120,"stale":false,"elements":"000300ff61"},{"bssid":"00:00:00:00:00:01",)"
         R"("frequency":4294967295,"signal_mbm":-2147483648,"age_ms":4294967295,"stale":true,)"
         R"("elements":""}],"dropped":7,"notes":["the scan was \"aborted\"","caf)"
         "\xC3\xA9"
         R"("],)"
         R"("adapter_gone":true})"
         "\n"},
        {least, R"({"time":"1999-01-01T00:00:00.000Z","bss":[],"dropped":0,"notes":[],)"
                R"("adapter_gone":false})"
                "\n"}};
    for (const auto& [written, line] : lines) {
        EXPECT_EQ(sweepJsonLine(written), line);
        const Result<RecordedSweep> read = parseSweepLine(line);
        ASSERT_TRUE(read) << read.error().message << "\n" << line;
        EXPECT_EQ(sweepJsonLine(*read), line);
    }
}

// One bad line of each check of the format's own, after a good one and a
// blank one. The checks shared with scenario files (unknown and missing
// keys, an object where one belongs, a MAC address) are ScenarioJson's test.
TEST(SweepJson, BadLinesAreRefusedWithTheLineAndTheField) {
    const std::string start = R"({"time":"2026-12-07T04:53:45Z","bss":[)";
    const std::string rest = R"(],"dropped":0,"notes":[],"adapter_gone":false})";
    const std::string bss = R"({"bssid":"aa:bb:cc:dd:ee:ff","frequency":1,"signal_mbm":0,)"
                            R"("age_ms":0,"stale":false,)";
    const std::string good = start + bss + R"("elements":"DdfF"})" + rest;
    const std::pair<std::string, std::string> cases[] = {
        {R"({"time":)", "column 9: syntax error"},
        {R"({"time":)" + std::string(100000, '[') + std::string(100000, ']') + "}",
         "nested deeper than 64 levels"},
        {R"({"time":"2026-02-29T00:00:00Z","bss":[)" + rest,
         R"(time: expected a UTC time like "2026-12-07T04:53:45.120Z", got "2026-02-29T00:00:00Z")"},
        {start + bss + R"("elements":"0g"})" + rest,
         R"(bss[0].elements: expected pairs of hex digits, got "0g")"},
        {start + R"({"frequency":1,"signal_mbm":-45.5,"bssid":"aa:bb:cc:dd:ee:ff"})" + rest,
         "bss[0].signal_mbm: expected an integer from -2147483648 to 2147483647, got -45.5"},
        {start +
             R"({"bssid":"aa:bb:cc:dd:ee:ff","frequency":1,"signal_mbm":0,"age_ms":0,"stale":1})" +
             rest,
         "bss[0].stale: expected true or false, got 1"},
    };
    ASSERT_TRUE(parseSweepLine(good)) << parseSweepLine(good).error().message;
    for (const auto& [line, expected] : cases) {
        const Result<std::vector<RecordedSweep>> read = parseSweepLines(good + "\n\n" + line);
        ASSERT_FALSE(read) << line;
        EXPECT_EQ(read.error().message.find("line 3: " + expected), 0u)
            << line.substr(0, 200) << "\n"
            << read.error().message;
    }
    EXPECT_EQ(parseSweepLines(" \n\n").error().message, "no sweeps recorded");
    EXPECT_EQ(loadSweeps("/nonexistent/sweeps.jsonl").error().message,
              "/nonexistent/sweeps.jsonl: cannot read: No such file or directory");
}

TEST(ReplaySource, PlaysTheSweepsInOrderThenFromTheFirstAgain) {
    std::vector<wifi::Sweep> sweeps(3);
    for (std::size_t i = 0; i < sweeps.size(); ++i)
        sweeps[i].dropped = i;
    ReplaySource replay(sweeps);
    std::vector<std::size_t> played;
    for (int i = 0; i < 7; ++i)
        played.push_back(replay.sweep().dropped);
    EXPECT_EQ(played, (std::vector<std::size_t>{0, 1, 2, 0, 1, 2, 0}));
}

} // namespace
} // namespace marlow::sweeplog
