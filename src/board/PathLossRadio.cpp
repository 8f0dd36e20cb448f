// Log-distance path loss with seeded Gaussian noise; see PathLossRadio.h.
#include "board/PathLossRadio.h"

#include <algorithm>
#include <cmath>

namespace marlow::board {
namespace {

constexpr int MostSightings = 3;

} // namespace

PathLossRadio::PathLossRadio(const Scenario& scenario)
    : m_pathLoss(scenario.pathLoss), m_accessPoints(scenario.accessPoints),
      m_random(scenario.seed) {}

std::vector<std::uint8_t> PathLossRadio::sweepChannels() const {
    std::vector<std::uint8_t> channels;
    for (int channel = FirstChannel; channel <= LastChannel; ++channel)
        channels.push_back(static_cast<std::uint8_t>(channel));
    return channels;
}

void PathLossRadio::sweepStarted() {
    const std::lock_guard lock(m_positionLock);
    m_sweepPosition = m_position;
}

void PathLossRadio::setSurveyPosition(SurveyPosition position) {
    const std::lock_guard lock(m_positionLock);
    m_position = position;
}

std::vector<HeardBeacon> PathLossRadio::listen(std::uint8_t channel) {
    std::vector<HeardBeacon> heard;
    for (const AccessPoint& ap : m_accessPoints) {
        if (ap.channel != channel)
            continue;
        HeardBeacon beacon{ap.mac, ap.ssid, channel, {}, std::nullopt};
        const int sightings = std::uniform_int_distribution(1, MostSightings)(m_random);
        for (int s = 0; s < sightings; ++s) {
            if (const auto rssi = sighting(ap, m_sweepPosition))
                beacon.rssiSamples.push_back(*rssi);
        }
        if (!beacon.rssiSamples.empty())
            heard.push_back(std::move(beacon));
    }
    return heard;
}

double PathLossRadio::meanRssi(const AccessPoint& ap, SurveyPosition at) const {
    const double metres = std::hypot(ap.x - at.x, ap.y - at.y) / m_pathLoss.pixelsPerMetre;
    return ap.txPowerDbm + m_pathLoss.referenceDbm -
           10.0 * m_pathLoss.exponent * std::log10(std::max(metres, 1.0));
}

std::optional<std::int8_t> PathLossRadio::sighting(const AccessPoint& ap, SurveyPosition at) {
    double rssi = meanRssi(ap, at);
    if (m_pathLoss.noiseDb > 0)
        rssi += std::normal_distribution<double>(0.0, m_pathLoss.noiseDb)(m_random);
    rssi = std::round(rssi);
    if (rssi < m_pathLoss.thresholdDbm)
        return std::nullopt;
    return static_cast<std::int8_t>(std::clamp(rssi, double{WeakestRssi}, double{StrongestRssi}));
}

} // namespace marlow::board
