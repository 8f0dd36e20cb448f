// Folding a decoded access-point report into a scan list.
#pragma once

#include "protocol/ApReport.h"
#include "store/RecordList.h"

#include <cstdint>

namespace marlow {

enum class ReportResult { Updated, Added, Dropped };

// Adds the report's sample to the record of its transmitter, or inserts a new
// record (ordered by RSSI) on the given channel. A report whose record cannot
// be allocated is dropped. The caller holds whatever lock guards the list.
ReportResult applyReport(RecordList& list, const ApReport& decoded, std::uint8_t channel);

} // namespace marlow
