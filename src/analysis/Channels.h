// Wi-Fi channels as the analysis compares them. 2.4 GHz channels are 5 MHz
// apart and about 22 MHz wide, so channels within OverlapDistance of each
// other share part of the band; channels elsewhere do not overlap.
#pragma once

namespace marlow::analysis {

constexpr int FirstChannel24 = 1;
constexpr int LastChannel24 = 14;
constexpr int OverlapDistance = 4;

bool isChannel24(int channel);

// True when access points on these channels hear each other's traffic: the
// same channel, or 2.4 GHz channels up to OverlapDistance apart.
bool channelsOverlap(int a, int b);

} // namespace marlow::analysis
