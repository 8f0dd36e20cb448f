// The survey as the analysis reads it: one entry per survey point (a run of
// adjacent records at one position, as the map shows them), with the access
// points heard there. A point where nothing was heard has none.
#pragma once

#include "store/RecordList.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace marlow::analysis {

using MacAddress = std::array<std::uint8_t, 6>;

// One access point heard at a point.
struct HeardAp {
    MacAddress mac{};
    std::string ssid; // the stored bytes, not necessarily valid UTF-8
    int channel = 0;
    int rssi = 0; // dBm
};

struct SurveyedPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::string name;
    std::vector<HeardAp> heard; // empty: nothing heard there
};

std::vector<SurveyedPoint> surveyedPoints(const RecordList& store);

} // namespace marlow::analysis
