// libFuzzer target for what the kernel sends the Wi-Fi radio source: the
// input is one netlink datagram, walked message by message as the client
// walks it and read by each of its readers. The BSSs it yields become the
// board's reports, and the handheld's decoder must read back from each
// report the BSSID, the SSID and the channel the beacon announces, whatever
// the elements held.
#include "protocol/ApReport.h"
#include "protocol/BeaconBuilder.h"
#include "wifi/BoardBeacons.h"
#include "wifi/Nl80211Messages.h"

#include <cstdlib>
#include <cstring>
#include <netlink/msg.h>
#include <string_view>
#include <vector>

using namespace marlow;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Aligned as the kernel's datagrams are.
    std::vector<std::uint32_t> aligned(size / 4 + 1);
    std::memcpy(aligned.data(), data, size);
    auto* message = reinterpret_cast<nlmsghdr*>(aligned.data());
    int remaining = static_cast<int>(size);
    wifi::Sweep sweep;
    for (; nlmsg_ok(message, remaining); message = nlmsg_next(message, &remaining)) {
        (void)wifi::readFamily(*message);
        (void)wifi::readInterface(*message);
        (void)wifi::readNotification(*message, 0x1c);
        (void)wifi::readStatus(*message);
        if (std::optional<wifi::ScannedBss> bss = wifi::readBss(*message))
            sweep.heard.push_back(std::move(*bss));
    }

    for (const auto& [channel, beacons] : wifi::beaconsByChannel(sweep, {true, true})) {
        for (const board::HeardBeacon& heard : beacons) {
            if (!heard.elements || heard.rssiSamples.size() != 1)
                std::abort();
            BeaconFields fields;
            fields.transmitter = heard.transmitter;
            const std::optional<ApReport> report = decodeApReport(
                reportPayload(heard.rssiSamples[0], beaconCapture(fields, *heard.elements)));
            const std::string_view ssid = std::string_view(heard.ssid).substr(0, 32);
            if (!report || report->channel != heard.channel ||
                report->ssidText() != ssid.substr(0, ssid.find('\0')) ||
                std::memcmp(report->macAddr, heard.transmitter.data(), 6) != 0)
                std::abort();
        }
    }
    return 0;
}
