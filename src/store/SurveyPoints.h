// The survey points of a store as the map shows them and a site file holds
// them: each run of adjacent records at one position is one point. Both
// site-file writers keep the records' order and positions, so a file saved
// from the store loads back with the same number of points.
#pragma once

#include "RecordList.h"

#include <cstddef>

namespace marlow {

std::size_t surveyPointCount(const RecordList& store);

} // namespace marlow
