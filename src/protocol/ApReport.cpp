// Report decoding; see ApReport.h.
#include "protocol/ApReport.h"

#include <algorithm>

namespace marlow {

namespace {

// Elements that carry nothing we use but do not end the walk: supported
// rates, FH and CF parameter sets, TIM, IBSS parameter set, and id 16.
bool isSkippedElement(std::uint8_t id) {
    switch (id) {
    case report::RatesElement:
    case 2:
    case 4:
    case report::TimElement:
    case 6:
    case 16:
        return true;
    default:
        return false;
    }
}

void walkElements(std::span<const std::uint8_t> area, ApReport& out) {
    std::size_t pos = 0;
    while (pos < area.size()) {
        const std::uint8_t id = area[pos];
        if (id != report::SsidElement && id != report::DsParameterElement && !isSkippedElement(id))
            return;
        // The length byte and the element's data must both lie in the area;
        // an element cut off by the end of the area ends the walk.
        if (area.size() - pos < 2)
            return;
        const std::size_t length = area[pos + 1];
        if (area.size() - pos - 2 < length)
            return;
        const auto data = area.subspan(pos + 2, length);
        if (id == report::SsidElement) {
            std::fill(std::begin(out.ssid), std::end(out.ssid), '\0');
            std::copy_n(data.begin(), std::min(length, report::MaxSsid), out.ssid);
        } else if (id == report::DsParameterElement && !data.empty()) {
            out.channel = data[0];
        }
        pos += 2 + length;
    }
}

} // namespace

std::string_view ApReport::ssidText() const {
    return std::string_view(ssid, std::find(std::begin(ssid), std::end(ssid), '\0') - ssid);
}

std::optional<ApReport> decodeApReport(std::span<const std::uint8_t> payload) {
    if (payload.size() < report::CaptureOffset)
        return std::nullopt;
    const std::size_t declared = static_cast<std::size_t>(payload[report::LengthOffset]) |
                                 static_cast<std::size_t>(payload[report::LengthOffset + 1]) << 8;
    const auto present = payload.subspan(report::CaptureOffset);
    const auto capture = present.first(std::min(declared, present.size()));
    if (capture.size() < report::FixedPart)
        return std::nullopt;

    ApReport out;
    out.rssi = static_cast<std::int8_t>(payload[report::RssiOffset]);
    std::copy_n(capture.begin() + report::TransmitterOffset, 6, out.macAddr);
    const auto elements = capture.subspan(report::FixedPart);
    walkElements(elements.first(std::min(elements.size(), report::MaxElementArea)), out);
    return out;
}

} // namespace marlow
