// The analyzer link without a port. The receive state machine: the
// transitions that whole frames do not take, then streams with read
// time-outs, lost frames, bytes between frames and payloads too large for the
// buffer. What the link sends: the encoder's examples and limit. How it
// handles the board's messages: the handshake chain, the texts, the scan
// state, the low-battery warning. Access-point reports: their decoding (the
// element walk, the SSID and its limits on malformed reports) and the scan
// list they build (ordered insertion, sums, SSID and channel rules).
#include "link/AnalyzerLink.h"
#include "link/ApReport.h"
#include "link/ApReportBuilder.h"
#include "link/Messages.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <tuple>

namespace marlow {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Delivery = std::pair<std::uint8_t, Bytes>;
using Deliveries = std::vector<Delivery>;
// What the reader thread reads: bytes, and read time-outs (a count of 0).
using Reads = std::vector<int>;
constexpr int TimeOut = -1;

Bytes frameOf(std::uint8_t type, const Bytes& payload) {
    Bytes out;
    appendFrame(out, type, payload);
    return out;
}

Reads concat(const Bytes& head, const Bytes& tail) {
    Reads all(head.begin(), head.end());
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
}

Bytes textBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// A report from the transmitter 00 11 22 33 44 <last> with exactly the
// elements given.
Bytes reportWith(std::int8_t rssi, std::uint8_t last, std::vector<InfoElement> elements) {
    return buildApReport({rssi, {0x00, 0x11, 0x22, 0x33, 0x44, last}, std::move(elements)});
}

// Sets N in a report payload without changing what follows it.
Bytes withDeclaredLength(Bytes payload, std::size_t n) {
    payload[report::LengthOffset] = static_cast<std::uint8_t>(n & 0xFF);
    payload[report::LengthOffset + 1] = static_cast<std::uint8_t>(n >> 8);
    return payload;
}

// A report whose SSID element "far" starts `offset` (2042 or more) bytes into
// the element area, after skipped elements that fill the bytes before it.
Bytes ssidAt(std::size_t offset) {
    std::vector<InfoElement> elements(8, {1, Bytes(253, 0x82)});
    elements.push_back({1, Bytes(offset - 8 * 255 - 2, 0x82)});
    elements.push_back({0, textBytes("far")});
    return reportWith(-60, 1, elements);
}

// Keeps what the parser delivers instead of acting on it, and counts the
// deliveries after which the receive buffer is not zero beyond the payload.
class RecordingLink : public AnalyzerLink {
public:
    using AnalyzerLink::AnalyzerLink;
    void handleMessage(std::uint8_t type, const std::uint8_t* payload,
                       std::uint16_t length) override {
        deliveries.push_back({type, Bytes(payload, payload + length)});
        dirtyTails += !std::all_of(payload + length, payload + MaxPayload,
                                   [](std::uint8_t b) { return b == 0; });
    }
    Deliveries deliveries;
    int dirtyTails = 0;
};

// A link that sends into a buffer and whose events count, and a parser
// that keeps what it delivers.
class LinkTest : public ::testing::Test, public ByteSink, public LinkEvents {
protected:
    LinkTest() { link.attachSink(this); }

    int send(const std::uint8_t* bytes, std::size_t length) override {
        sends.emplace_back(bytes, bytes + length);
        return 1;
    }
    void notifyDraw() override { ++draws; }
    void warnLowBattery() override {
        ++warnings;
        recordsAtWarning = records().size();
    }

    void handle(std::uint8_t type, const Bytes& payload = {}) {
        link.handleMessage(type, payload.data(), static_cast<std::uint16_t>(payload.size()));
    }
    // A typical beacon's report.
    void report(std::int8_t rssi, std::uint8_t ap, std::string_view ssid = "net",
                std::uint8_t channel = 6, std::uint8_t type = msg::ApReport) {
        handle(type, reportWith(rssi, ap, typicalBeaconElements(ssid, channel)));
    }
    std::vector<SurveyRecord> records() const {
        return scanList.withLock([](const RecordList& list) {
            return std::vector<SurveyRecord>(list.begin(), list.end());
        });
    }
    std::string text(void (AnalyzerLink::*copy)(char (&)[FramedLink::TextSize]) const) const {
        char text[FramedLink::TextSize];
        std::fill(std::begin(text), std::end(text), 'x');
        (link.*copy)(text);
        return text;
    }

    // Plays the reader thread: calls parse in a loop and serves each read it
    // asks for from the stream, in order; the play ends when parse asks for
    // a read after the last one.
    Deliveries play(const Reads& stream) {
        parser.deliveries.clear();
        parser.setParserState(ParserState::Reset);
        std::uint8_t byte = 0;
        int count = 0;
        for (std::size_t next = 0;;) {
            // When parse asks for no byte, the same buffer and count go again.
            if (parser.parse(&byte, count) == 0)
                continue;
            if (next == stream.size())
                return parser.deliveries;
            count = stream[next] == TimeOut ? 0 : 1;
            byte = static_cast<std::uint8_t>(stream[next++]);
        }
    }

    std::vector<Bytes> sends;
    int draws = 0;
    int warnings = 0;
    std::size_t recordsAtWarning = 99;
    SharedRecordList scanList;
    AnalyzerLink link{*this, scanList};
    RecordingLink parser{*this, scanList};
};

TEST_F(LinkTest, FollowsTheTransitionTableOffTheWholeFramePath) {
    using enum ParserState;
    // From, count, byte, to, return value; nothing is delivered.
    const std::tuple<ParserState, int, std::uint8_t, ParserState, int> table[] = {
        {Reset, 1, 0x11, Sync1, 1}, // input ignored
        {Sync1, 0, 0x11, Reset, 0},        {Sync1, 1, 0x12, Reset, 0},
        {Sync2, 0, 0x12, Reset, 0},        {Sync2, 1, 0x11, Reset, 0},
        {Type, 0, 0x05, Reset, 0},         {Type, 2, 0x05, Reset, 0},
        {Type, 1, 0x11, TypeEscape, 1},    {TypeEscape, 0, 0x14, Reset, 0},
        {TypeEscape, 1, 0x99, Payload, 1}, {Payload, 0, 0x42, Reset, 0},
        {Escape, 0, 0x13, Reset, 1}, // the one reset that asks for a byte
        {Escape, 1, 0x12, Reset, 0},       {Delivered, 1, 0x11, Reset, 0},
    };
    for (const auto& [from, count, byte, to, returns] : table) {
        SCOPED_TRACE(::testing::Message() << "from " << static_cast<int>(from) << " count " << count
                                          << " byte " << static_cast<int>(byte));
        parser.setParserState(from);
        const std::uint8_t bytes[2] = {byte, byte};
        EXPECT_EQ(parser.parse(bytes, count), returns);
        EXPECT_EQ(parser.parserState(), to);
    }
    EXPECT_TRUE(parser.deliveries.empty());
}

TEST_F(LinkTest, LosesTheFramesThatTheTableLoses) {
    const Bytes good = frameOf(0x04, Bytes{0x06});
    const Delivery goodOne{0x04, {0x06}};
    // Bytes before a good frame, and how many good frames then arrive.
    const std::pair<Bytes, std::size_t> cases[] = {
        // A start inside a frame loses both frames.
        {{0x11, 0x12, 0x03, 0x07, 0x11, 0x12, 0x04, 0x05, 0x11, 0x13}, 1},
        // A stray lead before a frame loses it.
        {{0x11, 0x11, 0x12, 0x04, 0x05, 0x11, 0x13}, 1},
        // A bad escape pair drops the frame.
        {{0x11, 0x12, 0x04, 0x05, 0x11, 0x00, 0x11, 0x13}, 1},
        // A wrong second start byte.
        {{0x11, 0x13, 0x04, 0x05, 0x11, 0x13}, 1},
        // Garbage that ends in a lead loses the next frame.
        {{0x12, 0x13, 0x14, 0xFF, 0x11, 0x11, 0x12, 0x04, 0x06, 0x11, 0x13}, 1},
    };
    for (const auto& [head, arriving] : cases)
        EXPECT_EQ(play(concat(head, good)), Deliveries(arriving, goodOne))
            << ::testing::PrintToString(head);
    // A time-out between the end lead and 0x13: the reset swallows the 0x13.
    Reads twice = concat(good, good);
    twice.insert(twice.begin() + 5, TimeOut);
    EXPECT_EQ(play(twice), Deliveries{goodOne});
}

// Random frames, with random zeros and time-outs between them and now and
// then a time-out inside one. A frame with a time-out after its first byte
// and before its last is lost; every other frame arrives, in order.
TEST_F(LinkTest, SurvivesRandomTimeOutsAndGapsBetweenFrames) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 40; ++round) {
        Reads stream;
        Deliveries expected;
        for (int i = 0; i < 30; ++i) {
            stream.insert(stream.end(), random() % 4, 0x00);
            stream.insert(stream.end(), random() % 3, TimeOut);
            Delivery message{static_cast<std::uint8_t>(random() % 256), Bytes(random() % 40)};
            for (std::uint8_t& b : message.second)
                b = random() % 4 == 0 ? 0x11 : static_cast<std::uint8_t>(random());
            const Bytes framed = frameOf(message.first, message.second);
            const std::size_t start = stream.size();
            stream.insert(stream.end(), framed.begin(), framed.end());
            if (random() % 5 == 0)
                stream.insert(stream.begin() + start + 1 + random() % (framed.size() - 1), TimeOut);
            else
                expected.push_back(message);
        }
        ASSERT_EQ(play(stream), expected) << "round " << round;
    }
    EXPECT_EQ(parser.dirtyTails, 0);
}

TEST_F(LinkTest, DeliversAFullBufferAndDropsAnOversizePayload) {
    Bytes full(FramedLink::MaxPayload, 0x33);
    full.back() = 0x11; // arrives as the escape pair
    EXPECT_EQ(play(concat(frameOf(0x04, full), {})), (Deliveries{{0x04, full}}));
    const Bytes next = frameOf(0x10, Bytes{0x0B});
    for (int last : {0x33, 0x11}) {
        Bytes payload(FramedLink::MaxPayload + 1, 0x11);
        payload.back() = static_cast<std::uint8_t>(last);
        EXPECT_EQ(play(concat(frameOf(0x04, payload), next)), (Deliveries{{0x10, {0x0B}}}))
            << "last byte " << last;
    }
    EXPECT_EQ(parser.dirtyTails, 0);
}

TEST_F(LinkTest, SendsFramedRequestsAndCommandsAndAnUnframedKeepAliveOfAtMost128Bytes) {
    link.attachSink(nullptr);
    EXPECT_EQ(link.requestFirmwareVersion(), 0) << "without a sink nothing is sent";
    link.attachSink(this);
    link.scanDone = true;
    EXPECT_EQ(link.requestFirmwareVersion(), 1);
    EXPECT_EQ(link.keepAlive(), 1);
    EXPECT_EQ(link.sendCommand(0x11), 1);
    EXPECT_FALSE(link.scanRequested) << "only command 7 requests a scan";
    EXPECT_EQ(link.sendCommand(7), 1);
    EXPECT_TRUE(link.scanRequested);
    EXPECT_TRUE(link.scanDone) << "sending a command does not clear scanDone";
    const Bytes plain{0x12, 0x13, 0x14, 0x00}, leads(62, 0x11), spaces(124, 0x20);
    EXPECT_EQ(link.sendMessage(0x11, leads.data(), 1), 1);
    EXPECT_EQ(link.sendMessage(0x12, plain.data(), 4), 1);
    // Longer frames than 128 bytes send nothing; escapes count.
    EXPECT_EQ(link.sendMessage(0x03, spaces.data(), 124), 0);
    EXPECT_EQ(link.sendMessage(0x03, leads.data(), 62), 0);
    EXPECT_EQ(sends, (std::vector<Bytes>{{0x11, 0x12, 0x01, 0x11, 0x13},
                                         {0x00, 0x00},
                                         {0x11, 0x12, 0x03, 0x11, 0x14, 0x11, 0x13},
                                         {0x11, 0x12, 0x03, 0x07, 0x11, 0x13},
                                         {0x11, 0x12, 0x11, 0x14, 0x11, 0x14, 0x11, 0x13},
                                         {0x11, 0x12, 0x12, 0x12, 0x13, 0x14, 0x00, 0x11, 0x13}}));
    // 5 bytes of framing and type, 123 payload bytes: 128 in all.
    EXPECT_EQ(link.sendMessage(0x03, spaces.data(), 123), 1);
    EXPECT_EQ(sends.back().size(), 128u);
    link.clearScanFlags();
    EXPECT_FALSE(link.scanRequested);
    EXPECT_FALSE(link.scanDone);
}

// The handshake chain: one serial-number request per firmware text, one
// mode 01 per serial text.
TEST_F(LinkTest, TextsAreStoredCutTo31AndEachAnsweredOnce) {
    // What the board sends, what is stored.
    const std::pair<Bytes, std::string> cases[] = {
        {{'a', 'b', 0x00, 'c'}, "ab"},
        {{}, ""},
        {textBytes(std::string(40, 'v')), std::string(31, 'v')},
        {textBytes("short"), "short"}, // no remnant of the longer text
    };
    std::vector<Bytes> answers;
    for (const auto& [payload, stored] : cases) {
        handle(msg::FirmwareText, payload);
        handle(msg::SerialText, payload);
        EXPECT_EQ(text(&AnalyzerLink::copyFirmwareText), stored);
        EXPECT_EQ(text(&AnalyzerLink::copySerialText), stored);
        answers.insert(answers.end(), {{0x11, 0x12, 0x02, 0x11, 0x13},         // serial request
                                       {0x11, 0x12, 0x08, 0x01, 0x11, 0x13}}); // mode 01
        EXPECT_EQ(sends, answers);
    }
}

TEST_F(LinkTest, ScanStateFollowsChannelReportAndCompleteMessagesAndTheBatteryIsWarnedOnce) {
    // Unknown types change nothing and are not shown, even a report's.
    report(-60, 1, "lab", 6, 5);
    handle(3, {0x07});
    EXPECT_TRUE(sends.empty());
    EXPECT_TRUE(records().empty());
    EXPECT_EQ(draws, 0);

    handle(msg::ScanChannel, {0xFF});
    EXPECT_EQ(link.scanChannel, 255);
    handle(msg::Channel);
    EXPECT_EQ(link.lastBoardChannel(), 0) << "an empty payload reads as zero";
    handle(msg::ScanComplete, {0x01, 0x02});
    EXPECT_TRUE(link.scanDone);
    // A low battery is warned of once, and before its report counts.
    report(-60, 1, "lab", 6, msg::ApReportLowBattery);
    EXPECT_FALSE(link.scanDone);
    EXPECT_EQ(recordsAtWarning, 0u);
    handle(msg::ScanComplete);
    EXPECT_TRUE(link.scanDone);
    // Even a report too short to use postpones the end of the scan.
    handle(msg::ApReport, {0x00});
    EXPECT_FALSE(link.scanDone);
    report(-62, 1, "lab", 6, msg::ApReportLowBattery);
    EXPECT_EQ(warnings, 1);
    ASSERT_EQ(records().size(), 1u);
    EXPECT_EQ(records()[0].sampleCount, 2);
    EXPECT_EQ(draws, 7);
}

TEST_F(LinkTest, ReportWalksItsElementsWithinTheirLimitsAndStaysInsideMalformedReports) {
    const Bytes good = reportWith(-60, 1, {{3, {6}}, {0, textBytes("net")}});
    const std::size_t n = good.size() - report::CaptureOffset;
    Bytes truncated = good;
    truncated.resize(report::CaptureOffset + 45);
    Bytes missingLength = reportWith(-60, 1, {{0, textBytes("ok")}});
    missingLength.push_back(1);
    missingLength = withDeclaredLength(missingLength, missingLength.size() - report::CaptureOffset);

    const std::pair<std::string, Bytes> cases[] = {
        {"<dropped>", {0x00, 0xC4, 0x30}}, // shorter than the report header
        {"<dropped>", withDeclaredLength(good, 39)},
        {"<dropped>", Bytes(good.begin(), good.begin() + report::CaptureOffset + 39)},
        {"", reportWith(-60, 1, {})},            // N exactly the fixed part
        {"net", withDeclaredLength(good, 3000)}, // N beyond the payload: walk what is there
        {"", truncated},                         // SSID cut off by the end of the payload
        {"", withDeclaredLength(good, n - 5)},   // SSID cut off by N
        {"ok", missingLength},                   // length byte missing
        // The first 32 bytes of a long SSID; the latest SSID element.
        {std::string(32, 's'), reportWith(-60, 1, {{0, textBytes(std::string(40, 's'))}})},
        {"b", reportWith(-60, 1, {{0, textBytes(std::string(32, 'l'))}, {0, textBytes("b")}})},
        // The element ends exactly at the 2048th byte of the area (N = 2088);
        // one byte further it runs past the area, although all of it is present.
        {"far", ssidAt(2043)},
        {"", ssidAt(2044)},
    };
    for (const auto& c : cases) {
        const auto decoded = decodeApReport(c.second);
        EXPECT_EQ(decoded ? std::string(decoded->ssidText()) : "<dropped>", c.first)
            << "case " << &c - cases;
    }
    // What the walk read before an element that runs past the area counts.
    EXPECT_EQ(decodeApReport(truncated)->channel, 6);
    // An empty DS element has no channel to give.
    EXPECT_FALSE(decodeApReport(reportWith(-60, 1, {{3, {}}}))->channel);
    // Only the skipped elements let the walk go on to a later SSID.
    for (int id = 0; id < 256; ++id) {
        const auto decoded = decodeApReport(
            reportWith(-60, 1, {{static_cast<std::uint8_t>(id), {0x09}}, {0, textBytes("net")}}));
        ASSERT_TRUE(decoded);
        const bool walkGoesOn = id <= 6 || id == 16;
        EXPECT_EQ(std::string(decoded->ssidText()), walkGoesOn ? "net" : "") << "id " << id;
    }
}

TEST_F(LinkTest, InsertsInAscendingRssiAndSumsSamplesInPlaceBeyond16Bits) {
    const std::pair<std::int8_t, std::uint8_t> sightings[] = {
        {-60, 1}, {-40, 2}, {-80, 3}, {-60, 4}, {-62, 1}};
    for (const auto& [rssi, ap] : sightings)
        report(rssi, ap);
    std::vector<std::string> order;
    for (const SurveyRecord& r : records())
        order.emplace_back(r.macText);
    // Equal RSSI goes after; a later sample does not move its record.
    EXPECT_EQ(order, (std::vector<std::string>{"001122334403", "001122334401", "001122334404",
                                               "001122334402"}));
    EXPECT_EQ(records()[1].rssi, -122);
    EXPECT_EQ(records()[1].sampleCount, 2);
    EXPECT_EQ(records()[1].macAddr[5], 0x01);
    for (int i = 0; i < 600; ++i)
        report(-60, 1);
    EXPECT_EQ(records()[1].rssi, -36122);
    EXPECT_EQ(records()[1].rssi / records()[1].sampleCount, -60);
}

TEST_F(LinkTest, TakesTheLatestSsidButKeepsTheFirstChannel) {
    handle(msg::ApReport, reportWith(-60, 1, {{0, textBytes("a")}})); // no channel yet: 0
    report(-60, 2, "b", 11);
    handle(msg::ApReport, reportWith(-60, 3, {{0, textBytes("c")}})); // the last channel seen
    report(-60, 1, "", 3); // a known record keeps its channel, even an empty SSID replaces
    const auto list = records();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].channel, 0);
    EXPECT_EQ(std::string(list[0].ssid), "");
    EXPECT_EQ(list[1].channel, 11);
    EXPECT_EQ(list[2].channel, 11);
    EXPECT_EQ(std::string(list[2].ssid), "c");
}

} // namespace
} // namespace marlow
