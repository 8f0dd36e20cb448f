// Fault injection: the names, where each fault goes in a scan, the bytes it
// is, and that a handheld following its receive rules still gets the rest
// of the scan intact.
#include "boardsim/Faults.h"

#include "BoardFixtures.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <set>

namespace marlow::sim {
namespace {

using test::Message;

constexpr Point Standing{130, 80};
// The types the handheld acts on.
const std::set<std::uint8_t> HandheldTypes = {1, 2, 4, 13, 15, 16, 17};

Bytes scanBytes(const FaultSet& faults) {
    BoardConfig config = labConfig();
    config.faults = faults;
    Board board(config);
    board.setSurveyPosition(Standing);
    return board.receive(test::frameOf(3, {7})).bytes();
}

std::string phantomMac(Fault fault) {
    char text[13];
    std::snprintf(text, sizeof text, "02FA170000%02X", static_cast<int>(fault) + 1);
    return text;
}

TEST(Faults, ListsAreParsedByName) {
    EXPECT_EQ(parseFaultList("stall").faults, FaultSet{Fault::Stall});
    EXPECT_EQ(parseFaultList("garbage,unknown-type").faults,
              (FaultSet{Fault::Garbage, Fault::UnknownType}));
    EXPECT_EQ(parseFaultList("all").faults.size(), AllFaults.size());
    for (Fault fault : AllFaults)
        EXPECT_EQ(parseFaultList(faultName(fault)).faults, FaultSet{fault});
    for (const char* bad : {"", "stall,", "stall,nope", "Stall"})
        EXPECT_NE(parseFaultList(bad).error.find("unknown fault"), std::string::npos) << bad;
}

TEST(Faults, EachGoesRightAfterChannelOneAndChangesNothingElse) {
    const Bytes clean = scanBytes({});
    const Bytes channelOne = test::frameOf(16, {1});
    const auto after =
        std::search(clean.begin(), clean.end(), channelOne.begin(), channelOne.end()) +
        static_cast<std::ptrdiff_t>(channelOne.size());
    ASSERT_NE(after, clean.end() + static_cast<std::ptrdiff_t>(channelOne.size()));
    for (Fault fault : AllFaults) {
        Bytes expected = clean;
        const Bytes injected = faultTransmission(fault).bytes();
        expected.insert(expected.begin() + (after - clean.begin()), injected.begin(),
                        injected.end());
        EXPECT_EQ(scanBytes({fault}), expected) << faultName(fault);
    }
}

// The one message a fault's bytes deliver to the handheld.
test::ReportView onlyReport(const Transmission& sent) {
    const std::vector<Message> messages = test::messagesIn(sent.bytes());
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages.empty() ? 0 : messages[0].type, 15);
    return test::viewReport(messages.empty() ? Bytes{} : messages[0].payload);
}

TEST(Faults, EachSendsItsDocumentedBytes) {
    const std::map<Fault, std::function<void(const Transmission&)>> checks = {
        {Fault::Garbage,
         [](const Transmission& sent) {
             EXPECT_EQ(sent.bytes(), (Bytes{0x00, 0x00, 0xFF, 0x12, 0x13, 0x14, 0x11, 0x00, 'n',
                                            'o', 'i', 's', 'e', 0x0D, 0x0A}));
         }},
        {Fault::BadEscape,
         [](const Transmission& sent) {
             Bytes bytes = sent.bytes();
             ASSERT_GT(bytes.size(), 9u);
             EXPECT_EQ(Bytes(bytes.begin() + 7, bytes.begin() + 9), (Bytes{0x11, 0x15}));
             EXPECT_TRUE(test::messagesIn(bytes).empty());
             bytes.erase(bytes.begin() + 7, bytes.begin() + 9);
             const test::ReportView repaired =
                 test::viewReport(test::messagesIn(bytes).at(0).payload);
             EXPECT_EQ(repaired.mac, phantomMac(Fault::BadEscape));
             EXPECT_EQ(repaired.ssid, "fault-bad-escape");
         }},
        {Fault::Stall,
         [](const Transmission& sent) {
             const auto& segments = sent.segments();
             ASSERT_EQ(segments.size(), 2u);
             EXPECT_EQ(segments[0].bytes.size(), 8u);
             EXPECT_GT(segments[0].pauseAfter, std::chrono::milliseconds(251));
             EXPECT_EQ(onlyReport(sent).mac, phantomMac(Fault::Stall));
         }},
        {Fault::Oversize,
         [](const Transmission& sent) {
             const Bytes bytes = sent.bytes();
             // 9000 payload bytes without a 11 among them, framed.
             EXPECT_EQ(bytes.size(), 9005u);
             EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 3), (Bytes{0x11, 0x12, 15}));
             EXPECT_TRUE(test::messagesIn(bytes).empty());
         }},
        {Fault::ShortCapture,
         [](const Transmission& sent) {
             const test::ReportView report = onlyReport(sent);
             EXPECT_EQ(report.declaredLength, 24u);
             EXPECT_EQ(report.capture.size(), 24u);
             EXPECT_EQ(report.mac, phantomMac(Fault::ShortCapture));
         }},
        {Fault::LongCapture,
         [](const Transmission& sent) {
             const test::ReportView report = onlyReport(sent);
             EXPECT_EQ(report.declaredLength, 2200u);
             EXPECT_EQ(report.capture.size(), 2200u);
             EXPECT_EQ(report.ssid, "fault-long-capture");
             EXPECT_EQ(report.channel, 1);
             std::size_t at = 40;
             while (at + 2 <= report.capture.size())
                 at += 2u + report.capture[at + 1];
             EXPECT_GT(at, report.capture.size()) << "the last element runs past the capture";
         }},
        {Fault::Truncated,
         [](const Transmission& sent) {
             const test::ReportView report = onlyReport(sent);
             EXPECT_EQ(report.declaredLength, report.capture.size() + 100);
             EXPECT_EQ(report.mac, phantomMac(Fault::Truncated));
         }},
        {Fault::UnknownType,
         [](const Transmission& sent) {
             EXPECT_EQ(test::messagesIn(sent.bytes()),
                       (std::vector<Message>{{0x05, {0x01}}, {0x13, {0x11}}, {0xFF, {}}}));
             for (const Message& m : test::messagesIn(sent.bytes()))
                 EXPECT_EQ(HandheldTypes.count(m.type), 0u) << int(m.type) << " is not unknown";
         }},
    };
    ASSERT_EQ(checks.size(), AllFaults.size());
    for (const auto& [fault, check] : checks) {
        SCOPED_TRACE(faultName(fault));
        check(faultTransmission(fault));
    }
}

TEST(Faults, TheHandheldStillReceivesTheWholeScan) {
    const std::vector<Message> clean = test::messagesIn(scanBytes({}));
    BoardConfig config = labConfig();
    config.faults.insert(AllFaults.begin(), AllFaults.end());
    Board board(config);
    board.setSurveyPosition(Standing);

    const Transmission scan = board.receive(test::frameOf(3, {7}));
    test::HandheldParser handheld;
    for (const Segment& segment : scan.segments()) {
        handheld.feed(segment.bytes);
        if (segment.pauseAfter > std::chrono::milliseconds(251))
            handheld.timeOut();
    }
    std::vector<Message> genuine;
    std::set<std::string> phantoms;
    for (const Message& m : handheld.messages()) {
        const std::string mac = test::viewReport(m.payload).mac;
        if (m.type == 15 && mac.starts_with("02FA17"))
            phantoms.insert(mac);
        else if (HandheldTypes.count(m.type) != 0)
            genuine.push_back(m);
    }
    EXPECT_EQ(genuine, clean);
    // Reports with odd lengths arrive intact; the broken frames never do.
    EXPECT_EQ(phantoms, (std::set<std::string>{phantomMac(Fault::ShortCapture),
                                               phantomMac(Fault::LongCapture),
                                               phantomMac(Fault::Truncated)}));
}

} // namespace
} // namespace marlow::sim
