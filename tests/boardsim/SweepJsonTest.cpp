// Recorded sweeps: a sweep written as a line reads back the same, bad lines
// are refused with the line and the field, and the replay goes round.
#include "SweepJson.h"

#include "ReplaySource.h"

#include <gtest/gtest.h>
#include <tuple>

namespace marlow::sweeplog {
namespace {

using namespace std::chrono;

auto fieldsOf(const RecordedSweep& r) {
    std::vector<std::tuple<MacAddress, std::uint32_t, std::int32_t, std::vector<std::uint8_t>,
                           std::uint32_t, bool>>
        heard;
    for (const wifi::ScannedBss& b : r.sweep.heard)
        heard.emplace_back(b.bssid, b.frequencyMhz, b.signalMbm, b.elements, b.ageMs, b.stale);
    const board::SurveyPosition at = r.position.value_or(board::SurveyPosition{-1, -1});
    return std::tuple(r.time, r.interfaceName, r.position.has_value(), at.x, at.y, heard,
                      r.sweep.dropped, r.sweep.notes, r.sweep.adapterGone);
}

TEST(SweepJson, WhatIsWrittenReadsBackTheSame) {
    RecordedSweep full;
    full.time = sys_days(2026y / 12 / 7) + 4h + 53min + 45s + 120ms;
    full.position = board::SurveyPosition{120, -80.25};
    full.interfaceName = "wlp2s0";
    full.sweep.heard = {
        {{0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}, 2437, -4550, {0, 3, 0x00, 0xFF, 'a'}, 120, false},
        {{0, 0, 0, 0, 0, 1}, UINT32_MAX, INT32_MIN, {}, UINT32_MAX, true}};
    full.sweep = {full.sweep.heard, 7, {"the scan was \"aborted\"", "caf\xC3\xA9"}, true};
    RecordedSweep least;
    least.time = sys_days(1999y / 1 / 1);
    for (const RecordedSweep& written : {full, least}) {
        const std::string line = sweepJsonLine(written);
        ASSERT_EQ(line.find('\n'), line.size() - 1) << line;
        const Result<RecordedSweep> read = parseSweepLine(line);
        ASSERT_TRUE(read) << read.error().message << "\n" << line;
        EXPECT_EQ(fieldsOf(*read), fieldsOf(written)) << line;
    }
    EXPECT_EQ(sweepJsonLine(least), R"({"time":"1999-01-01T00:00:00.000Z","bss":[],)"
                                    R"("dropped":0,"notes":[],"adapter_gone":false})"
                                    "\n");
    EXPECT_NE(sweepJsonLine(full).find(
                  R"({"bssid":"aa:bb:cc:dd:ee:ff","frequency":2437,"signal_mbm":-4550,)"
                  R"("age_ms":120,"stale":false,"elements":"000300ff61"})"),
              std::string::npos);
}

TEST(SweepJson, BadLinesAreRefusedWithTheLineAndTheField) {
    const std::string rest = R"("dropped":0,"notes":[],"adapter_gone":false})";
    const auto withBss = [&](const std::string& fields) {
        return R"({"time":"2026-12-07T04:53:45Z","bss":[{"bssid":"aa:bb:cc:dd:ee:ff",)" + fields +
               "}]," + rest;
    };
    const std::string bss = R"("frequency":2412,"signal_mbm":-5000,"age_ms":0,"stale":false,)";
    const std::string good = withBss(bss + R"("elements":"DdfF")");
    const std::pair<std::string, std::string> cases[] = {
        {R"({"time":)", "column 9: syntax error"},
        {"[]", "expected an object, got an array"},
        {withBss(bss + R"("elements":"0g")"),
         R"(bss[0].elements: expected pairs of hex digits, got "0g")"},
        {withBss(bss.substr(0, bss.size() - 1)), R"(bss[0]: missing "elements")"},
        {withBss(bss + R"("elements":"","ssid":"")"), R"(bss[0]: unknown key "ssid")"},
        {withBss(R"("frequency":"2412","elements":"")"),
         R"(bss[0].frequency: expected an integer from 0 to 4294967295, got "2412")"},
        {withBss(R"("frequency":1,"signal_mbm":-45.5,"elements":"")"),
         "bss[0].signal_mbm: expected an integer from -2147483648 to 2147483647, got -45.5"},
        {withBss(R"("frequency":1,"signal_mbm":0,"age_ms":0,"stale":1,"elements":"")"),
         "bss[0].stale: expected true or false, got 1"},
        {R"({"time":"2026-12-07T04:53:45Z","bss":[{"bssid":"aa:bb:cc:dd:ee"}],)" + rest,
         R"(bss[0].bssid: expected six hex pairs like "aa:bb:cc:dd:ee:ff", got "aa:bb:cc:dd:ee")"},
        {R"({"time":"2026-02-29T00:00:00Z","bss":[],)" + rest,
         R"(time: expected a UTC time like "2026-12-07T04:53:45.120Z", got "2026-02-29T00:00:00Z")"},
        {R"({"time":"2026-12-07T04:53:45Z","bss":[],"notes":[3],"dropped":0,"adapter_gone":false})",
         "notes[0]: expected a string, got 3"},
        {R"({"time":"2026-12-07T04:53:45Z","bss":[],"adapter_gone":false,"notes":[]})",
         R"(missing "dropped")"},
        {R"({"time":)" + std::string(100000, '[') + std::string(100000, ']') + "}",
         "time: expected a string, got an array"},
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
