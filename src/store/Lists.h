// The two program-wide record lists: ScanList, the access points of the scan
// in progress, and SurveyStore, every record of the open site. ScanList is
// constructed first and destroyed last.
#pragma once

#include "RecordList.h"

namespace marlow {

extern RecordList ScanList;
extern RecordList SurveyStore;

} // namespace marlow
