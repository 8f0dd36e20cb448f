// What the board's radio hears, as the board asks for it during a sweep: the
// source tells which channels a sweep visits and in which order, is told
// when a sweep starts (or starts over), and answers for each channel with
// the transmitters heard there. The simulator's path-loss model is one
// source; a radio that listens to the real air is another.
#pragma once

#include "protocol/BeaconBuilder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marlow::board {

// Where the surveyor stands, in floor-plan pixels.
struct SurveyPosition {
    double x = 0;
    double y = 0;
};

// One transmitter heard on one channel during one sweep.
struct HeardBeacon {
    MacAddress transmitter{};
    std::string ssid;
    // The channel the transmitter announces.
    std::uint8_t channel = 1;
    // One report each, in this order.
    std::vector<std::int8_t> rssiSamples;
    // The information elements as received. When present the board puts
    // them in its captures as they are; otherwise it builds the SSID,
    // supported rates and DS parameter set elements.
    std::optional<std::vector<std::uint8_t>> elements;
};

class RadioSource {
public:
    virtual ~RadioSource() = default;

    // The channels one sweep visits, in order.
    virtual std::vector<std::uint8_t> sweepChannels() const = 0;
    // A sweep begins, or begins again from its first channel.
    virtual void sweepStarted() = 0;
    // What the radio hears while tuned to the channel.
    virtual std::vector<HeardBeacon> listen(std::uint8_t channel) = 0;
    // Where the surveyor now stands; may be called from any thread. A radio
    // that hears the real air ignores it.
    virtual void setSurveyPosition(SurveyPosition) {}
    // Makes a listen() in progress return soon, and every later one; called
    // from another thread when the board stops serving. A radio whose
    // listen() never waits has nothing to do.
    virtual void interrupt() {}
};

} // namespace marlow::board
