// The survey data section: the two record sizes, then each point as one
// stored point record followed by its access-point records.
#pragma once

#include "store/RecordList.h"

#include <cstdint>
#include <functional>
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

// The records of the store that go into one stored point, in order.
struct PointRecords {
    RecordList::const_iterator begin;
    RecordList::const_iterator end;
};

// Calls visit with the records of each stored point the rule makes of the
// store, in store order.
void forEachStoredPoint(const RecordList& store, SplitRule rule,
                        const std::function<void(PointRecords)>& visit);

// Appends one stored point, as forEachStoredPoint gives it: the point record
// named and placed by its first record, then its access-point records.
void appendStoredPoint(std::vector<std::uint8_t>& out, PointRecords point, SplitRule rule);

std::vector<std::uint8_t> encodeSurveyData(const RecordList& store, SplitRule rule);

} // namespace marlow
