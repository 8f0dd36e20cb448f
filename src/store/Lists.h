// The two program-wide record lists: ScanList, the access points of the scan
// in progress, shared with the analyzer link's reader thread, and
// SurveyStore, every record of the open site, used on the user-interface
// thread only. ScanList is constructed first and destroyed last.
#pragma once

#include "RecordList.h"
#include "SharedRecordList.h"

namespace marlow {

extern SharedRecordList ScanList;
extern RecordList SurveyStore;

} // namespace marlow
