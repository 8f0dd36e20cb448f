// The faults the board's line can carry: the bytes of each, the list that
// names them, and the line that injects them into every sweep.
#include "board/Faults.h"

#include "Frames.h"
#include "board/Board.h"
#include "board/PathLossRadio.h"
#include "board/Transmission.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <tuple>

namespace marlow::board {
namespace {

using test::Frame;
using test::frameBytes;
using test::framesIn;

Transmission faultAlone(Fault fault) {
    Transmission out;
    sendFault(fault, out);
    return out;
}

TEST(Faults, EachSendsItsBytes) {
    // Bytes sent, frames a receiver without a byte time-out keeps, and the
    // capture and N of the report among them.
    const std::tuple<Fault, std::size_t, std::size_t, std::size_t, int> cases[] = {
        {Fault::Garbage, 15, 0, 0, 0},        {Fault::BadEscape, 82, 0, 0, 0},
        {Fault::Stall, 75, 1, 66, 66},        {Fault::Oversize, 9005, 0, 0, 0},
        {Fault::ShortCapture, 33, 1, 24, 24}, {Fault::LongCapture, 2209, 1, 2200, 2200},
        {Fault::Truncated, 79, 1, 70, 170},   {Fault::UnknownType, 18, 3, 0, 0},
    };
    for (const auto& [fault, size, frames, capture, declared] : cases) {
        const Bytes bytes = faultAlone(fault).bytes();
        const std::vector<Frame> kept = framesIn(bytes);
        EXPECT_EQ(std::tuple(bytes.size(), kept.size()), std::tuple(size, frames))
            << faultName(fault);
        if (declared == 0)
            continue;
        EXPECT_EQ(
            std::tuple(kept.at(0).payload.size() - 4, kept[0].payload[2] | kept[0].payload[3] << 8),
            std::tuple(capture, declared))
            << faultName(fault);
    }
    EXPECT_EQ(framesIn(faultAlone(Fault::UnknownType).bytes()),
              (std::vector<Frame>{{0x05, {0x01}}, {0x13, {0x11}}, {0xFF, {}}}));
    // The stall holds the line inside the frame for longer than 251 ms.
    const Transmission stall = faultAlone(Fault::Stall);
    ASSERT_EQ(stall.segments().size(), 2u);
    EXPECT_EQ(stall.segments()[0].bytes.size(), 8u);
    EXPECT_GT(stall.segments()[0].pauseAfter, std::chrono::milliseconds(251));
}

TEST(Faults, ListNamesThemOrAll) {
    EXPECT_EQ(*parseFaultList("all"), FaultSet(AllFaults.begin(), AllFaults.end()));
    EXPECT_EQ(*parseFaultList("truncated,garbage,truncated"),
              (FaultSet{Fault::Garbage, Fault::Truncated}));
    EXPECT_FALSE(parseFaultList("all,stall"));
    EXPECT_EQ(parseFaultList("stall,Loud").error().message,
              "unknown fault \"Loud\"; the faults are garbage bad-escape stall oversize "
              "short-capture long-capture truncated unknown-type (or all)");
}

TEST(Faults, GoInOrderRightAfterChannelOneOfEachSweepAndLeaveTheRestIntact) {
    Scenario scenario;
    scenario.accessPoints = {{{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}, "lab", 1, 120, 80, 0},
                             {{0x00, 0x11, 0x22, 0x33, 0x44, 0x66}, "far", 6, 300, 80, 0}};
    auto sweeps = [&](const FaultSet& faults) {
        PathLossRadio radio(scenario);
        Board board({}, radio);
        Transmission out;
        FaultInjector line(out, faults);
        for (int sweep = 0; sweep < 2; ++sweep) {
            board.receive(frameBytes(3, Bytes{7}), line);
            while (board.sweeping())
                board.step(line);
        }
        return out.bytes();
    };
    const Bytes clean = sweeps({});
    Bytes expected = clean;
    const Bytes channelOne = frameBytes(16, Bytes{1});
    Bytes injected;
    for (Fault fault : AllFaults) {
        const Bytes bytes = faultAlone(fault).bytes();
        injected.insert(injected.end(), bytes.begin(), bytes.end());
    }
    for (auto at = expected.begin(); (at = std::search(at, expected.end(), channelOne.begin(),
                                                       channelOne.end())) != expected.end();) {
        at += static_cast<std::ptrdiff_t>(channelOne.size());
        at = expected.insert(at, injected.begin(), injected.end()) +
             static_cast<std::ptrdiff_t>(injected.size());
    }
    ASSERT_EQ(expected.size(), clean.size() + 2 * injected.size());
    const Bytes faulted = sweeps({AllFaults.begin(), AllFaults.end()});
    EXPECT_EQ(faulted, expected);
    // Less the phantom access points 02:FA:17:... and the unknown types, a
    // receiver gets the clean sweeps.
    std::vector<Frame> genuine;
    for (const Frame& f : framesIn(faulted)) {
        if ((f.type == 15 && f.payload.at(18) != 0x02) || f.type == 16 || f.type == 17)
            genuine.push_back(f);
    }
    EXPECT_EQ(genuine, framesIn(clean));
}

} // namespace
} // namespace marlow::board
