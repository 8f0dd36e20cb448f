// Test doubles for the link's two outward interfaces (a byte sink that keeps
// what was sent, events that count), a player that stands in for the reader
// thread, and small helpers to build board frames and reports.
#pragma once

#include "link/AnalyzerLink.h"
#include "link/ApReportBuilder.h"
#include "link/ByteSink.h"
#include "link/LinkEvents.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string_view>
#include <vector>

namespace marlow::test {

using Bytes = std::vector<std::uint8_t>;

class ByteCollector : public ByteSink {
public:
    int send(const std::uint8_t* bytes, std::size_t length) override {
        sends.emplace_back(bytes, bytes + length);
        return 1;
    }
    std::vector<Bytes> sends;
};

class CountingEvents : public LinkEvents {
public:
    void notifyDraw() override { ++draws; }
    void warnLowBattery() override {
        ++warnings;
        if (onWarning)
            onWarning();
    }
    int draws = 0;
    int warnings = 0;
    std::function<void()> onWarning;
};

// Plays the reader thread: calls parse in a loop and serves each byte it asks
// for from the stream, in order. timeoutsBefore[i] read time-outs (a count of
// 0) are served before stream byte i; the play ends when parse asks for a
// byte after the last one.
void play(FramedLink& link, std::span<const std::uint8_t> stream,
          const std::map<std::size_t, int>& timeoutsBefore = {});

Bytes frameOf(std::uint8_t type, std::span<const std::uint8_t> payload = {});
Bytes textBytes(std::string_view text);

// A report from the transmitter 00 11 22 33 44 <last> with a typical beacon.
Bytes beaconReport(std::int8_t rssi, std::uint8_t last, std::string_view ssid,
                   std::uint8_t channel);
// A report with exactly the elements given.
Bytes reportWith(std::int8_t rssi, std::uint8_t last, std::vector<InfoElement> elements);

} // namespace marlow::test
