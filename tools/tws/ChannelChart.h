// The channel chart of a report: a bar for the access points on each
// channel, 2.4 GHz channels 1-14 always shown with the band each channel
// takes drawn under its bar, so that overlapping channels show as
// overlapping humps; any other channels follow as bars of their own.
#pragma once

#include "analysis/SurveySummary.h"

#include <QImage>
#include <vector>

namespace marlow::tws {

constexpr QRgb BarColour = 0xFF2E7D32;

QImage channelChart(const std::vector<analysis::ChannelRow>& channels);

} // namespace marlow::tws
