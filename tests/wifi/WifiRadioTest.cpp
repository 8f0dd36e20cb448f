// The adapter's radio under the board: one sweep of the air per sweep of
// the board, each report after its own channel message, a sweep started
// over sweeping the air again, and the observer.
#include "wifi/WifiRadio.h"

#include "Frames.h"
#include "board/Board.h"
#include "board/Transmission.h"
#include "protocol/ApReport.h"

#include <gtest/gtest.h>
#include <map>

namespace marlow::wifi {
namespace {

// Each sweep hears a BSS on each of its frequencies, given sweep by sweep.
struct ScriptedAir final : SweepSource {
    Sweep sweep() override {
        Sweep next;
        for (const std::uint32_t mhz : frequencies.at(swept++))
            next.heard.push_back({{2, 0, 0, 0, 0, std::uint8_t(mhz)}, mhz, -6000, {}, 0, false});
        return next;
    }
    void interrupt() override { ++interrupts; }

    std::vector<std::vector<std::uint32_t>> frequencies;
    std::size_t swept = 0;
    int interrupts = 0;
};

// Channel messages as minus the channel, reports as their transmitter's last
// byte (the frequency's), ScanComplete as 0.
std::vector<int> sent(board::Transmission& out) {
    std::vector<int> summary;
    for (const test::Frame& frame : test::framesIn(out.bytes())) {
        summary.push_back(frame.type == msg::ScanChannel ? -frame.payload.at(0)
                          : frame.type == msg::ApReport  ? decodeApReport(frame.payload)->macAddr[5]
                                                         : 0);
    }
    out.clear();
    return summary;
}

// What a sweep of channels 1 to 14 with these reports sends, after `before`.
std::vector<int> sweepFrames(std::vector<int> before, const std::map<int, int>& reports) {
    for (int channel = 1; channel <= 14; ++channel) {
        before.push_back(-channel);
        if (reports.count(channel) != 0)
            before.push_back(reports.at(channel));
    }
    before.push_back(0);
    return before;
}

TEST(WifiRadio, OneSweepOfTheAirPerSweepInChannelOrderAndAgainWhenStartedOver) {
    // 2462 and 2412 (channels 11 and 1, in that order), 5180 and 5955 (5 and
    // 6 GHz, not taken in); then 2417 (channel 2); then 2422 (channel 3).
    ScriptedAir air;
    air.frequencies = {{2462, 2412, 5180, 5955}, {2417}, {2422}};
    std::vector<std::optional<board::SurveyPosition>> told;
    WifiRadio radio(air, Bands{}, [&](const Sweep&, auto position) { told.push_back(position); });
    board::Board board({}, radio);
    board::Transmission out;
    const test::Bytes scan = test::frameBytes(msg::Command, test::Bytes{msg::StartScan});

    board.receive(scan, out);
    EXPECT_EQ(air.swept, 0u) << "the air is swept at the first channel, not before";
    // Where the surveyor stood as the sweep started goes with it.
    radio.setSurveyPosition({120, 80});
    while (board.sweeping())
        board.step(out);
    EXPECT_EQ(sent(out), sweepFrames({}, {{1, 2412 & 0xFF}, {11, 2462 & 0xFF}}));

    // Started over after two channels: only the new sweep is reported.
    board.receive(scan, out);
    for (int step = 0; step < 4; ++step)
        board.step(out);
    board.receive(scan, out);
    while (board.sweeping())
        board.step(out);
    EXPECT_EQ(sent(out), sweepFrames({-1, -2, 2417 & 0xFF}, {{3, 2422 & 0xFF}}));
    EXPECT_EQ(air.swept, 3u);

    ASSERT_EQ(told.size(), 3u);
    EXPECT_FALSE(told[0]) << "no position as it started";
    EXPECT_EQ(told[2].value().x, 120);
    radio.interrupt();
    EXPECT_EQ(air.interrupts, 1);
}

} // namespace
} // namespace marlow::wifi
