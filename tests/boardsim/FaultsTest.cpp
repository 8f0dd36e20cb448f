// Fault injection: the names, where the faults go in a scan, the bytes each
// is, and that a handheld following its receive rules still gets the rest of
// the scan intact.
#include "boardsim/Faults.h"

#include "Handheld.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace marlow::sim {
namespace {

using test::Message;

// The types the handheld acts on.
const std::set<std::uint8_t> HandheldTypes = {1, 2, 4, 13, 15, 16, 17};

Transmission scanWith(const FaultSet& faults) {
    BoardConfig config = test::labConfig();
    config.faults = faults;
    Board board(config);
    board.setSurveyPosition({130, 80});
    return board.receive(encodeFrame(3, Bytes{7}));
}

TEST(Faults, ListsAreParsedByName) {
    EXPECT_EQ(parseFaultList("garbage,unknown-type").faults,
              (FaultSet{Fault::Garbage, Fault::UnknownType}));
    EXPECT_EQ(parseFaultList("all").faults, FaultSet(AllFaults.begin(), AllFaults.end()));
    for (const char* bad : {"", "stall,", "stall,nope", "Stall"})
        EXPECT_NE(parseFaultList(bad).error.find("unknown fault"), std::string::npos) << bad;
}

TEST(Faults, GoInOrderRightAfterChannelOneAndChangeNothingElse) {
    Bytes expected = scanWith({}).bytes();
    const Bytes channelOne = encodeFrame(16, Bytes{1});
    auto at = std::search(expected.begin(), expected.end(), channelOne.begin(), channelOne.end());
    ASSERT_NE(at, expected.end());
    at += static_cast<std::ptrdiff_t>(channelOne.size());
    for (Fault fault : AllFaults) {
        const Bytes injected = faultTransmission(fault).bytes();
        at = expected.insert(at, injected.begin(), injected.end()) +
             static_cast<std::ptrdiff_t>(injected.size());
    }
    EXPECT_EQ(scanWith(FaultSet(AllFaults.begin(), AllFaults.end())).bytes(), expected);
}

TEST(Faults, EachSendsItsDocumentedBytes) {
    // How many bytes each sends: the short, long and oversize captures with
    // their sizes, the reports with their framing.
    const std::pair<Fault, std::size_t> sizes[] = {
        {Fault::Garbage, 15},    {Fault::BadEscape, 82},    {Fault::Stall, 75},
        {Fault::Oversize, 9005}, {Fault::ShortCapture, 33}, {Fault::LongCapture, 2209},
        {Fault::Truncated, 79},  {Fault::UnknownType, 18},
    };
    for (const auto& [fault, size] : sizes)
        EXPECT_EQ(faultTransmission(fault).bytes().size(), size) << faultName(fault);
    EXPECT_EQ(faultTransmission(Fault::Garbage).bytes(),
              (Bytes{0x00, 0x00, 0xFF, 0x12, 0x13, 0x14, 0x11, 0x00, 'n', 'o', 'i', 's', 'e', 0x0D,
                     0x0A}));
    EXPECT_EQ(test::messagesIn(faultTransmission(Fault::UnknownType).bytes()),
              (std::vector<Message>{{0x05, {0x01}}, {0x13, {0x11}}, {0xFF, {}}}));
    // The truncated report's N is 100 more than its 70-byte capture.
    const Bytes truncated =
        test::messagesIn(faultTransmission(Fault::Truncated).bytes()).at(0).payload;
    EXPECT_EQ(test::viewReport(truncated).declaredLength, 170u);
    const Transmission stall = faultTransmission(Fault::Stall);
    ASSERT_EQ(stall.segments().size(), 2u);
    EXPECT_EQ(stall.segments()[0].bytes.size(), 8u);
    EXPECT_GT(stall.segments()[0].pauseAfter, std::chrono::milliseconds(251));
}

TEST(Faults, TheHandheldStillReceivesTheWholeScan) {
    const std::vector<Message> clean = test::messagesIn(scanWith({}).bytes());
    const Transmission scan = scanWith(FaultSet(AllFaults.begin(), AllFaults.end()));
    test::HandheldParser handheld;
    for (const Segment& segment : scan.segments()) {
        handheld.feed(segment.bytes);
        if (segment.pauseAfter > std::chrono::milliseconds(251))
            handheld.timeOut();
    }
    std::vector<Message> genuine;
    std::set<std::string> phantoms;
    for (const Message& m : handheld.messages) {
        const std::string mac = test::viewReport(m.payload).mac;
        if (m.type == 15 && mac.starts_with("02FA17"))
            phantoms.insert(mac);
        else if (HandheldTypes.count(m.type) != 0)
            genuine.push_back(m);
    }
    EXPECT_EQ(genuine, clean);
    // Reports with odd lengths arrive intact; the broken frames never do.
    EXPECT_EQ(phantoms, (std::set<std::string>{"02FA17000005", "02FA17000006", "02FA17000007"}));
}

} // namespace
} // namespace marlow::sim
