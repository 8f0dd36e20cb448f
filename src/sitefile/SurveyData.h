// The survey data section: the two record sizes, then each point as one
// stored point record followed by its access-point records.
#pragma once

#include "store/RecordList.h"

#include <cstdint>
#include <vector>

namespace marlow {

enum class SplitRule {
    // Save Site Data: a placeholder writes no access-point record and always
    // starts a point of its own.
    SaveSiteData,
    // The full rewrite: every record is an access-point record; a point ends
    // only where the position changes.
    FullRewrite,
};

std::vector<std::uint8_t> encodeSurveyData(const RecordList& store, SplitRule rule);

} // namespace marlow
