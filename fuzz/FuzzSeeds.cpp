// fuzz_seeds: writes the link fuzzer's seed corpus, valid board streams made
// with the protocol library's own encoder and beacon builder, one per file.
// Each stream ends in one zero byte, which tells the fuzzer to inject no
// read time-outs. Usage: fuzz_seeds DIRECTORY (the checked-in seeds are
// fuzz/corpus).
#include "protocol/BeaconBuilder.h"
#include "protocol/FrameCodec.h"
#include "protocol/Protocol.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <string>

namespace {

using namespace marlow;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t CountryElement = 7;
constexpr std::uint8_t ErpElement = 42;
constexpr std::uint8_t UnknownType = 5;

Bytes frameOf(std::uint8_t type, const Bytes& payload = {}) {
    Bytes out;
    appendFrame(out, type, payload);
    return out;
}

Bytes join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes text(std::string_view characters) {
    return {characters.begin(), characters.end()};
}

// A beacon's report from 00 11 22 33 44 <last>: the whole SSID (even past
// 32 bytes), rates, DS, TIM, the extra elements, then country and ERP.
Bytes beaconReport(std::int8_t rssi, std::uint8_t last, std::string_view ssid, std::uint8_t channel,
                   const std::vector<InfoElement>& extra = {}) {
    std::vector<InfoElement> elements = basicBeaconElements(ssid, channel);
    elements[0].data = text(ssid);
    elements.push_back({report::TimElement, {0x00, 0x01, 0x00, 0x00}});
    elements.insert(elements.end(), extra.begin(), extra.end());
    elements.push_back({CountryElement, {'G', 'B', ' ', 0x01, 0x0D, 0x14}});
    elements.push_back({ErpElement, {0x00}});
    BeaconFields beacon;
    beacon.transmitter = {0x00, 0x11, 0x22, 0x33, 0x44, last};
    beacon.sequence = 1;
    beacon.timestamp = 0x0807060504030201;
    beacon.capability = 0x0431;
    return reportPayload(rssi, beaconCapture(beacon, encodeElements(elements)));
}

std::map<std::string, Bytes> seeds() {
    std::map<std::string, Bytes> all;
    all["handshake"] = join({frameOf(msg::FirmwareText, text({"1.07\0", 5})),
                             frameOf(msg::SerialText, text("TB-000417"))});
    all["channel"] = join({frameOf(msg::Channel, {6}), frameOf(msg::Channel)});
    Bytes& scan = all["scan"];
    for (std::uint8_t channel = 1; channel <= 13; ++channel) {
        const auto rssi = static_cast<std::int8_t>(-40 - 3 * channel);
        const std::string ssid = "lab-" + std::to_string(channel);
        scan = join({scan, frameOf(msg::ScanChannel, {channel}),
                     frameOf(msg::ApReport, beaconReport(rssi, channel, ssid, channel))});
    }
    scan = join({scan, frameOf(msg::ScanComplete)});
    all["repeat_sighting"] =
        join({frameOf(msg::ApReport, beaconReport(-60, 1, "net", 6)),
              frameOf(msg::ApReport, beaconReport(-62, 1, "", 6)), frameOf(msg::ScanComplete)});
    all["low_battery"] =
        join({frameOf(msg::ApReportLowBattery, beaconReport(-70, 9, "attic", 11)),
              frameOf(msg::ApReportLowBattery, beaconReport(-71, 9, "attic", 11))});
    // Elements the walk skips on its way.
    all["skipped_ids"] =
        frameOf(msg::ApReport, beaconReport(-55, 2, std::string(40, 'x'), 1,
                                            {{2, {1}}, {4, {2}}, {6, {3, 4}}, {16, {}}}));
    all["escaped_type"] = join({frameOf(frame::Lead, {frame::Lead, frame::End, frame::Escaped}),
                                frameOf(UnknownType, {0x07})});
    all["keepalive_gaps"] =
        join({{0, 0}, frameOf(msg::ScanChannel, {11}), {0, 0}, frameOf(msg::ScanComplete)});
    return all;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("Usage: fuzz_seeds DIRECTORY\n", stderr);
        return 2;
    }
    const std::filesystem::path directory = argv[1];
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    for (const auto& [name, stream] : seeds()) {
        std::ofstream out(directory / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(stream.data()),
                  static_cast<std::streamsize>(stream.size()));
        out.put('\0');
        if (!out.flush()) {
            std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", (directory / name).c_str());
            return 1;
        }
    }
    return 0;
}
