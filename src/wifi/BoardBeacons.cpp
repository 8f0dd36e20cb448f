// A sweep's BSSs as the board's beacons; see BoardBeacons.h.
#include "wifi/BoardBeacons.h"

#include "protocol/Protocol.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>

namespace marlow::wifi {
namespace {

using Bytes = std::vector<std::uint8_t>;
using ElementData = std::span<const std::uint8_t>;

// Calls visit(id, data) for each element, in order, while it returns true.
// An element whose length runs past the end of the bytes ends the walk, and
// so does a lone id byte at the end: what came before is kept.
template <typename Visit> void forEachElement(ElementData bytes, Visit visit) {
    std::size_t pos = 0;
    while (bytes.size() - pos >= 2) {
        const std::size_t length = bytes[pos + 1];
        if (bytes.size() - pos - 2 < length)
            return;
        if (!visit(bytes[pos], bytes.subspan(pos + 2, length)))
            return;
        pos += 2 + length;
    }
}

// Hundredths of a dBm to whole dBm, halves away from zero, within what the
// board's signed RSSI byte holds.
std::int8_t wholeDbm(std::int32_t signalMbm) {
    const std::int64_t mbm = signalMbm;
    const std::int64_t dbm = mbm < 0 ? -((50 - mbm) / 100) : (mbm + 50) / 100;
    return static_cast<std::int8_t>(std::clamp<std::int64_t>(dbm, INT8_MIN, INT8_MAX));
}

void appendElement(Bytes& area, std::uint8_t id, ElementData data) {
    area.push_back(id);
    area.push_back(static_cast<std::uint8_t>(data.size()));
    area.insert(area.end(), data.begin(), data.end());
}

board::HeardBeacon heardBeacon(const ScannedBss& bss, std::uint8_t channel) {
    std::optional<ElementData> ssid;
    std::optional<std::uint8_t> announced;
    forEachElement(bss.elements, [&](std::uint8_t id, ElementData data) {
        if (id == report::SsidElement && !ssid)
            ssid = data;
        else if (id == report::DsParameterElement && !announced && !data.empty())
            announced = data[0];
        return !ssid || !announced;
    });
    const ElementData ssidData = ssid.value_or(ElementData{});

    board::HeardBeacon beacon;
    beacon.transmitter = bss.bssid;
    beacon.ssid.assign(ssidData.begin(), ssidData.end());
    beacon.channel = announced.value_or(channel);
    beacon.rssiSamples = {wholeDbm(bss.signalMbm)};

    // At most an empty SSID element and a DS parameter set more than was
    // received.
    constexpr std::size_t Added = 2 + 3;
    Bytes area;
    area.reserve(std::min(bss.elements.size() + Added, report::MaxElementArea));
    appendElement(area, report::SsidElement, ssidData);
    appendElement(area, report::DsParameterElement, ElementData(&beacon.channel, 1));
    // Any other SSID or DS parameter set is left out: one further on would
    // take the place of these in the handheld's reading.
    forEachElement(bss.elements, [&](std::uint8_t id, ElementData data) {
        if (id == report::SsidElement || id == report::DsParameterElement)
            return true;
        if (area.size() + 2 + data.size() > report::MaxElementArea)
            return false;
        appendElement(area, id, data);
        return true;
    });
    beacon.elements = std::move(area);
    return beacon;
}

} // namespace

BeaconsByChannel beaconsByChannel(const Sweep& sweep, Bands bands) {
    BeaconsByChannel beacons;
    for (const ScannedBss& bss : sweep.heard) {
        if (const std::optional<std::uint8_t> channel = channelOf(bss.frequencyMhz, bands))
            beacons[*channel].push_back(heardBeacon(bss, *channel));
    }
    return beacons;
}

} // namespace marlow::wifi
