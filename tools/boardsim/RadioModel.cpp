// Log-distance path loss with seeded Gaussian noise.
#include "boardsim/RadioModel.h"

#include <algorithm>
#include <cmath>

namespace marlow::sim {

double RadioModel::meanRssi(const AccessPoint& ap, Point at) const {
    const double metres = std::hypot(ap.x - at.x, ap.y - at.y) / m_pathLoss.pixelsPerMetre;
    return ap.txPowerDbm + m_pathLoss.referenceDbm -
           10.0 * m_pathLoss.exponent * std::log10(std::max(metres, 1.0));
}

std::optional<std::int8_t> RadioModel::sighting(const AccessPoint& ap, Point at,
                                                std::mt19937& random) const {
    double rssi = meanRssi(ap, at);
    if (m_pathLoss.noiseDb > 0)
        rssi += std::normal_distribution<double>(0.0, m_pathLoss.noiseDb)(random);
    rssi = std::round(rssi);
    if (rssi < m_pathLoss.thresholdDbm)
        return std::nullopt;
    return static_cast<std::int8_t>(std::clamp(rssi, double{WeakestRssi}, double{StrongestRssi}));
}

} // namespace marlow::sim
