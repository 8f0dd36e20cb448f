// The simulator's radio: the access points of a scenario heard through a
// log-distance path loss, RSSI = txPower + referenceDbm - 10 n log10(max(d,
// 1 m)), plus Gaussian noise drawn for each sighting (from a std::mt19937
// seeded with the scenario's seed), rounded and clamped to the range a board
// reports. Sightings below the hearing threshold are not heard. Each access
// point on the channel swept is heard 1 to 3 times per sweep, from where the
// surveyor stood when the sweep started.
#pragma once

#include "board/RadioSource.h"
#include "board/Scenario.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <random>

namespace marlow::board {

constexpr int WeakestRssi = -100;
constexpr int StrongestRssi = -20;

class PathLossRadio final : public RadioSource {
public:
    explicit PathLossRadio(const Scenario& scenario);

    // Channels 1 to 14, in order.
    std::vector<std::uint8_t> sweepChannels() const override;
    void sweepStarted() override;
    std::vector<HeardBeacon> listen(std::uint8_t channel) override;
    void setSurveyPosition(SurveyPosition position) override;

    // The RSSI without noise, unclamped.
    double meanRssi(const AccessPoint& ap, SurveyPosition at) const;
    // One sighting; nothing when it falls below the hearing threshold.
    std::optional<std::int8_t> sighting(const AccessPoint& ap, SurveyPosition at);

private:
    const PathLoss m_pathLoss;
    const std::vector<AccessPoint> m_accessPoints;
    std::mt19937 m_random;
    // Where the surveyor stands now, and stood when the sweep started.
    std::mutex m_positionLock;
    SurveyPosition m_position;
    SurveyPosition m_sweepPosition;
};

} // namespace marlow::board
