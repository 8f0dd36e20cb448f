// The board's answers to the handheld's requests, and its scans.
#include "boardsim/Board.h"

#include "boardsim/Beacon.h"

namespace marlow::sim {
namespace {

constexpr int MostSightings = 3;
constexpr std::uint64_t BeaconIntervalMicroseconds = BeaconIntervalTu * 1024;

Bytes zeroTerminated(const std::string& text) {
    Bytes bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

} // namespace

Board::Board(BoardConfig config)
    : m_config(std::move(config)), m_radio(m_config.scenario.pathLoss),
      m_random(m_config.scenario.seed), m_sequence(m_config.scenario.accessPoints.size(), 0) {}

Transmission Board::receive(std::span<const std::uint8_t> bytes) {
    Transmission out;
    for (const Frame& request : m_decoder.feed(bytes))
        answer(request, out);
    return out;
}

void Board::setSurveyPosition(Point position) {
    const std::lock_guard lock(m_positionLock);
    m_position = position;
}

Point Board::surveyPosition() {
    const std::lock_guard lock(m_positionLock);
    return m_position;
}

void Board::answer(const Frame& request, Transmission& out) {
    switch (request.type) {
    case FirmwareRequestType:
        out.frame(FirmwareTextType, zeroTerminated(m_config.scenario.firmware));
        break;
    case SerialRequestType:
        out.frame(SerialTextType, zeroTerminated(m_config.scenario.serial));
        break;
    case CommandType:
        if (!request.payload.empty() && request.payload[0] == StartScanCode)
            scan(out);
        break;
    default:
        // Mode settings (type 8) change nothing here; neither they nor
        // unknown types get an answer.
        break;
    }
}

void Board::scan(Transmission& out) {
    const Point position = surveyPosition();
    const auto& aps = m_config.scenario.accessPoints;
    for (int channel = FirstChannel; channel <= LastChannel; ++channel) {
        out.frame(ScanChannelType, std::array{static_cast<std::uint8_t>(channel)});
        if (channel == FirstChannel) {
            for (Fault fault : m_config.faults)
                out.append(faultTransmission(fault));
        }
        if (m_config.silent)
            continue;
        for (std::size_t i = 0; i < aps.size(); ++i) {
            if (aps[i].channel != channel)
                continue;
            const int sightings = std::uniform_int_distribution(1, MostSightings)(m_random);
            for (int s = 0; s < sightings; ++s) {
                if (const auto rssi = m_radio.sighting(aps[i], position, m_random))
                    report(i, *rssi, out);
            }
        }
    }
    out.frame(ScanCompleteType, {});
}

void Board::report(std::size_t apIndex, std::int8_t rssi, Transmission& out) {
    const AccessPoint& ap = m_config.scenario.accessPoints[apIndex];
    BeaconFields beacon;
    beacon.transmitter = ap.mac;
    beacon.ssid = ap.ssid;
    beacon.channel = static_cast<std::uint8_t>(ap.channel);
    beacon.sequence = m_sequence[apIndex]++;
    beacon.timestamp = m_clockMicroseconds;
    // Board prefix: channel, RSSI and a little-endian capture count.
    beacon.prefix = {beacon.channel, static_cast<std::uint8_t>(rssi),
                     static_cast<std::uint8_t>(m_captureCount),
                     static_cast<std::uint8_t>(m_captureCount >> 8)};
    ++m_captureCount;
    m_clockMicroseconds += BeaconIntervalMicroseconds;

    const bool lowBattery = m_config.lowBattery && !m_lowBatterySent;
    m_lowBatterySent = m_lowBatterySent || lowBattery;
    out.frame(lowBattery ? ApReportLowBatteryType : ApReportType,
              reportPayload(rssi, beaconCapture(beacon)));
}

} // namespace marlow::sim
