// The board's answers to the handheld's requests, and its sweeps.
#include "board/Board.h"

#include "protocol/BeaconBuilder.h"
#include "protocol/Protocol.h"

namespace marlow::board {
namespace {

constexpr std::uint64_t MicrosecondsPerTu = 1024;
constexpr std::uint64_t BeaconIntervalMicroseconds = BeaconIntervalTu * MicrosecondsPerTu;

std::vector<std::uint8_t> zeroTerminated(const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

} // namespace

Board::Board(BoardConfig config, RadioSource& radio)
    : m_config(std::move(config)), m_radio(radio) {}

void Board::receive(std::span<const std::uint8_t> bytes, BoardLine& line) {
    m_parser.feed(bytes, [&](std::uint8_t type, std::span<const std::uint8_t> payload) {
        answer(type, payload, line);
    });
}

void Board::answer(std::uint8_t type, std::span<const std::uint8_t> payload, BoardLine& line) {
    switch (type) {
    case msg::FirmwareRequest:
        line.frame(msg::FirmwareText, zeroTerminated(m_config.firmware));
        break;
    case msg::SerialRequest:
        line.frame(msg::SerialText, zeroTerminated(m_config.serial));
        break;
    case msg::Command:
        if (payload.empty() || payload[0] != msg::StartScan)
            break;
        if (!m_sweeping || m_config.secondScan == SecondScan::Restart)
            startSweep();
        else if (m_config.secondScan == SecondScan::Queue)
            ++m_queuedSweeps;
        break;
    default:
        // Mode settings (type 8) change nothing here; neither they nor
        // unknown types get an answer.
        break;
    }
}

void Board::startSweep() {
    m_channels = m_radio.sweepChannels();
    m_nextChannel = 0;
    m_announced = false;
    m_sweeping = true;
    m_radio.sweepStarted();
}

void Board::step(BoardLine& line) {
    if (!m_sweeping)
        return;
    if (m_nextChannel == m_channels.size()) {
        line.frame(msg::ScanComplete, {});
        m_sweeping = false;
        if (m_queuedSweeps > 0) {
            --m_queuedSweeps;
            startSweep();
        }
        return;
    }
    const std::uint8_t channel = m_channels[m_nextChannel];
    if (!m_announced) {
        line.frame(msg::ScanChannel, std::span(&channel, 1));
        m_announced = true;
        return;
    }
    m_announced = false;
    ++m_nextChannel;
    for (const HeardBeacon& heard : m_radio.listen(channel)) {
        const std::vector<std::uint8_t> elements =
            heard.elements ? *heard.elements
                           : encodeElements(basicBeaconElements(heard.ssid, heard.channel));
        for (const std::int8_t rssi : heard.rssiSamples)
            report(heard, channel, elements, rssi, line);
    }
}

void Board::report(const HeardBeacon& heard, std::uint8_t channel,
                   std::span<const std::uint8_t> elements, std::int8_t rssi, BoardLine& line) {
    BeaconFields beacon;
    beacon.transmitter = heard.transmitter;
    beacon.sequence = m_sequence[heard.transmitter]++;
    beacon.timestamp = m_clockMicroseconds;
    // Board prefix: the channel it listened on, RSSI and a little-endian
    // capture count.
    beacon.prefix = {channel, static_cast<std::uint8_t>(rssi),
                     static_cast<std::uint8_t>(m_captureCount),
                     static_cast<std::uint8_t>(m_captureCount >> 8)};
    ++m_captureCount;
    m_clockMicroseconds += BeaconIntervalMicroseconds;

    const bool lowBattery = m_config.lowBattery && !m_lowBatterySent;
    m_lowBatterySent = m_lowBatterySent || lowBattery;
    line.frame(lowBattery ? msg::ApReportLowBattery : msg::ApReport,
               reportPayload(rssi, beaconCapture(beacon, elements)));
}

} // namespace marlow::board
