// Which channels share air.
#include "analysis/Channels.h"

#include <cstdlib>

namespace marlow::analysis {

bool isChannel24(int channel) {
    return channel >= FirstChannel24 && channel <= LastChannel24;
}

bool channelsOverlap(int a, int b) {
    if (isChannel24(a) && isChannel24(b))
        return std::abs(a - b) <= OverlapDistance;
    return a == b;
}

} // namespace marlow::analysis
