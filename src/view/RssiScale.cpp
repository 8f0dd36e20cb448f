// The RSSI colour scale's band selection.
#include "view/RssiScale.h"

namespace marlow {

namespace {

// The lower limit of bands 1 to 5: an RSSI above it belongs to the band.
constexpr std::array<int, RssiBandCount - 1> BandFloors = {-40, -50, -60, -70, -80};

} // namespace

int rssiBandNumber(int rssi) {
    int band = 1;
    for (const int floor : BandFloors) {
        if (rssi > floor)
            return band;
        ++band;
    }
    return band;
}

const RssiBand& rssiBand(int rssi) {
    return RssiBands[static_cast<std::size_t>(rssiBandNumber(rssi) - 1)];
}

} // namespace marlow
