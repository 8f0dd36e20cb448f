// Helpers for the link tests: board frames and reports, a player that stands
// in for the reader thread, and a fixture whose link sends into a buffer and
// whose events count.
#pragma once

#include "link/AnalyzerLink.h"
#include "link/ApReportBuilder.h"
#include "store/SharedRecordList.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <map>
#include <string_view>
#include <vector>

namespace marlow::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes textBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes frameOf(std::uint8_t type, std::span<const std::uint8_t> payload = {}) {
    Bytes out;
    appendFrame(out, type, payload);
    return out;
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A report from the transmitter 00 11 22 33 44 <last> with exactly the
// elements given, or with those of a typical beacon.
inline Bytes reportWith(std::int8_t rssi, std::uint8_t last, std::vector<InfoElement> elements) {
    return buildApReport({rssi, {0x00, 0x11, 0x22, 0x33, 0x44, last}, std::move(elements)});
}
inline Bytes beaconReport(std::int8_t rssi, std::uint8_t last, std::string_view ssid,
                          std::uint8_t channel) {
    return reportWith(rssi, last, typicalBeaconElements(ssid, channel));
}

// Plays the reader thread: calls parse in a loop and serves each byte it asks
// for from the stream, in order. timeouts[i] read time-outs (a count of 0)
// are served before stream byte i; the play ends when parse asks for a byte
// after the last one.
inline void play(FramedLink& link, std::span<const std::uint8_t> stream,
                 std::map<std::size_t, int> timeouts = {}) {
    std::size_t next = 0;
    std::uint8_t byte = 0;
    int count = 0;
    link.setParserState(ParserState::Reset);
    for (;;) {
        // When parse asks for no byte, the same buffer and count go again.
        if (link.parse(&byte, count) == 0)
            continue;
        if (auto it = timeouts.find(next); it != timeouts.end() && it->second > 0) {
            --it->second;
            count = 0;
            continue;
        }
        if (next == stream.size())
            return;
        byte = stream[next++];
        count = 1;
    }
}

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
    void report(std::int8_t rssi, std::uint8_t ap, std::string_view ssid = "net",
                std::uint8_t channel = 6, std::uint8_t type = 15) {
        handle(type, beaconReport(rssi, ap, ssid, channel));
    }
    std::vector<SurveyRecord> records() const {
        return scanList.withLock([](const RecordList& list) {
            return std::vector<SurveyRecord>(list.begin(), list.end());
        });
    }

    std::vector<Bytes> sends;
    int draws = 0;
    int warnings = 0;
    std::size_t recordsAtWarning = 99;
    SharedRecordList scanList;
    AnalyzerLink link{*this, scanList};
};

} // namespace marlow::test
