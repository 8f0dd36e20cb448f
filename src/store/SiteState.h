// SiteState: the state of the open site: survey counters, the summary of
// the point selected on the map, and the point being measured. What the
// site file's writers need from the file that was opened is the site
// file's own (sitefile/SiteFileState.h).
#pragma once

#include "RecordList.h"
#include "SharedRecordList.h"

#include <cstdint>
#include <string_view>

namespace marlow {

struct SiteState {
    std::int32_t locationCount = 0;
    std::int32_t apRecordCount = 0;

    double selX = 0.0;
    double selY = 0.0;
    std::int32_t selApCount = 0;
    std::int32_t selBestRssi = 0;
    std::int32_t selFirstIndex = 0;
    char selBestMacText[16] = {};
    char selBestSsid[33] = {};

    std::int16_t lastBestRssi = 0;
    std::int32_t newX = 0;
    std::int32_t newY = 0;
    char newName[33] = {};
};

// Reset of the survey done by every Open: the store is emptied and the
// counters start again from zero.
void resetSurvey(SiteState& site, RecordList& store);

// Notes where the next point is measured and empties the scan list.
void startMeasurement(SiteState& site, SharedRecordList& scanList, std::int32_t x, std::int32_t y,
                      std::string_view name);

} // namespace marlow
