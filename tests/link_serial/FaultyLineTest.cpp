// The reader and the link's parser on a bad line: a frame that loses or
// garbles a byte, or stalls longer than a read time-out, is dropped, and the
// next frame still arrives.
#include "SerialTestSupport.h"
#include "link/serial/FaultyStream.h"
#include "link/serial/MemoryStream.h"
#include "link/serial/SerialPort.h"

#include <gtest/gtest.h>

namespace marlow {
namespace {

using namespace std::chrono_literals;

struct LineCase {
    const char* what;
    FaultKind kind;
    std::size_t index; // within the first frame, 11 12 01 '1' '.' '0' '0' 11 13
    std::chrono::milliseconds stall;
    bool firstDelivered;
};

TEST(FaultyLine, DropsDamagedFramesAndKeepsTheNext) {
    const std::vector<LineCase> cases = {
        {"second start byte lost", FaultKind::Drop, 1, 0ms, false},
        {"end byte garbled", FaultKind::Corrupt, 8, 0ms, false},
        {"stall longer than a read", FaultKind::Stall, 5, 800ms, false},
        {"stall shorter than a read", FaultKind::Stall, 5, 50ms, true},
        {"payload byte garbled", FaultKind::Corrupt, 4, 0ms, true},
    };
    for (const LineCase& c : cases) {
        test::CountingEvents events;
        SharedRecordList scans;
        test::CountingLink link(events, scans);
        test::FakeClock clock(5);
        auto [portEnd, boardEnd] = MemoryStream::makePair();
        SerialPort port(link,
                        std::make_unique<FaultyStream>(
                            std::move(portEnd), std::vector<Fault>{{FaultDirection::Incoming,
                                                                    c.kind, c.index, c.stall}}),
                        clock);
        test::ByteVector bytes = test::textFrame(1, "1.00");
        const test::ByteVector second = test::textFrame(1, "2.00");
        const test::ByteVector channel{0x11, 0x12, 0x10, 0x09, 0x11, 0x13};
        bytes.insert(bytes.end(), second.begin(), second.end());
        bytes.insert(bytes.end(), channel.begin(), channel.end());
        boardEnd->write(bytes.data(), bytes.size());

        EXPECT_TRUE(test::waitUntil([&] { return link.scanChannel == 9; })) << c.what;
        port.stop(); // every frame has been handled
        EXPECT_EQ(link.firmware(), "2.00") << c.what;
        EXPECT_EQ(events.draws, c.firstDelivered ? 3 : 2) << c.what;
    }
}

} // namespace
} // namespace marlow
