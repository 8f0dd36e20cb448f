// Test doubles and helpers for the link tests; see LinkTestSupport.h.
#include "LinkTestSupport.h"

#include "link/FrameCodec.h"

namespace marlow::test {

void play(FramedLink& link, std::span<const std::uint8_t> stream,
          const std::map<std::size_t, int>& timeoutsBefore) {
    std::map<std::size_t, int> timeouts = timeoutsBefore;
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

Bytes frameOf(std::uint8_t type, std::span<const std::uint8_t> payload) {
    Bytes out;
    appendFrame(out, type, payload);
    return out;
}

Bytes textBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes beaconReport(std::int8_t rssi, std::uint8_t last, std::string_view ssid,
                   std::uint8_t channel) {
    return reportWith(rssi, last, typicalBeaconElements(ssid, channel));
}

Bytes reportWith(std::int8_t rssi, std::uint8_t last, std::vector<InfoElement> elements) {
    BeaconCapture beacon;
    beacon.rssi = rssi;
    beacon.transmitter = {0x00, 0x11, 0x22, 0x33, 0x44, last};
    beacon.elements = std::move(elements);
    return buildApReport(beacon);
}

} // namespace marlow::test
