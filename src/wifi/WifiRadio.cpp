// A sweep of the adapter per sweep of the board; see WifiRadio.h.
#include "wifi/WifiRadio.h"

namespace marlow::wifi {

WifiRadio::WifiRadio(SweepSource& source, Bands bands, SweepObserver observer)
    : m_source(source), m_bands(bands), m_observer(std::move(observer)) {}

std::vector<std::uint8_t> WifiRadio::sweepChannels() const {
    return wifi::sweepChannels(m_bands);
}

void WifiRadio::sweepStarted() {
    m_heard.reset();
    const std::lock_guard lock(m_positionLock);
    m_sweepPosition = m_position;
}

std::vector<board::HeardBeacon> WifiRadio::listen(std::uint8_t channel) {
    if (!m_heard) {
        const Sweep sweep = m_source.sweep();
        if (m_observer)
            m_observer(sweep, m_sweepPosition);
        m_heard = beaconsByChannel(sweep, m_bands);
    }
    // Each channel is listened to once a sweep: its beacons move out.
    const auto found = m_heard->find(channel);
    if (found == m_heard->end())
        return {};
    std::vector<board::HeardBeacon> beacons = std::move(found->second);
    m_heard->erase(found);
    return beacons;
}

void WifiRadio::setSurveyPosition(board::SurveyPosition position) {
    const std::lock_guard lock(m_positionLock);
    m_position = position;
}

void WifiRadio::interrupt() {
    m_source.interrupt();
}

} // namespace marlow::wifi
