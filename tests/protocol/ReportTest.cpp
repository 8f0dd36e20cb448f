// Access-point reports: the bytes of a built capture and report, and the
// decoder: its fields, its element walk and its limits on malformed reports.
#include "Frames.h"
#include "protocol/ApReport.h"
#include "protocol/BeaconBuilder.h"

#include <gtest/gtest.h>
#include <string>

namespace marlow {
namespace {

using Bytes = std::vector<std::uint8_t>;

using test::reportWith;
using test::textBytes;

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

TEST(BeaconBuilder, ReportCarriesTheBeaconAsCaptured) {
    BeaconFields beacon;
    beacon.prefix = {6, 0xC4, 0x01, 0x00};
    beacon.transmitter = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    beacon.sequence = 0x123;
    beacon.timestamp = 0x0102030405060708;
    const Bytes capture = beaconCapture(beacon, encodeElements(basicBeaconElements("lab", 6)));
    EXPECT_EQ(reportPayload(-60, capture),
              (Bytes{0x00, 0xC4, 58,   0,                                  // unused, RSSI, N
                     6,    0xC4, 0x01, 0x00,                               // board prefix
                     0x80, 0,    0,    0,    0xFF, 0xFF, 0xFF,             // a beacon to everyone
                     0xFF, 0xFF, 0xFF, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55, // transmitter
                     0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x30, 0x12,       // BSSID, sequence
                     8,    7,    6,    5,    4,    3,    2,    1,          // timestamp
                     100,  0,    0x21, 0x00,                               // interval, capabilities
                     0,    3,    'l',  'a',  'b',                          // SSID
                     1,    8,    0x82, 0x84, 0x8B, 0x96, 0x0C, 0x12, 0x18, 0x24, // rates
                     3,    1,    6}));                                           // DS
    // A lying length changes N and nothing else.
    const Bytes lying = reportPayload(-60, capture, 158);
    EXPECT_EQ(withDeclaredLength(lying, capture.size()), reportPayload(-60, capture));
}

TEST(ApReportDecoder, WalksItsElementsWithinTheirLimitsAndStaysInsideMalformedReports) {
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
    const auto fields = decodeApReport(reportWith(-71, 9, {}));
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->rssi, -71);
    EXPECT_EQ(Bytes(std::begin(fields->macAddr), std::end(fields->macAddr)),
              (Bytes{0x00, 0x11, 0x22, 0x33, 0x44, 9}));
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

} // namespace
} // namespace marlow
