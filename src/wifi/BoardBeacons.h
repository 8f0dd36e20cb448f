// What the board reports of one sweep of the adapter: each BSS the sweep
// heard on a channel of the bands taken in, as a transmitter heard once on
// that channel.
//
// The handheld reads an SSID and a DS parameter set from each report and
// ends its walk of the elements at the first element it does not know (a
// country element comes early in real beacons); a report without a DS
// parameter set takes the channel of the report before it. So the element
// area of each beacon starts with the BSS's SSID element (an empty one for a
// hidden network) and a DS parameter set (the BSS's own, or one built from
// the frequency it was heard on: 5 GHz beacons rarely carry one), followed
// by the rest of the elements as received.
#pragma once

#include "board/RadioSource.h"
#include "wifi/Channels.h"
#include "wifi/Sweep.h"

#include <cstdint>
#include <map>
#include <vector>

namespace marlow::wifi {

// Per channel, ascending, the beacons heard there in the order of the sweep.
using BeaconsByChannel = std::map<std::uint8_t, std::vector<board::HeardBeacon>>;

// Each BSS of the sweep whose frequency lies on a channel of the bands: the
// BSSID as transmitter, one RSSI sample (the signal in whole dBm, halves
// rounded away from zero, clamped to -128..127), the SSID and the channel
// its element area announces, and that element area, at most the 2048 bytes
// the handheld reads. BSSs on other frequencies are left out.
BeaconsByChannel beaconsByChannel(const Sweep& sweep, Bands bands);

} // namespace marlow::wifi
