// Folding a decoded access-point report into a scan list.
#pragma once

#include "protocol/ApReport.h"
#include "store/RecordList.h"

#include <cstddef>
#include <cstdint>

namespace marlow {

// A scan list holds at most this many transmitters: far beyond any real
// site, and a peer that invents a new transmitter per report can neither
// grow the list without bound nor slow its look-ups.
constexpr std::size_t MaxScanRecords = 4096;

enum class ReportResult { Updated, Added, Dropped };

// Adds the report's sample to the record of its transmitter, or inserts a new
// record (ordered by RSSI) on the given channel. A report of a new
// transmitter is dropped when the list is full or its record cannot be
// allocated. The caller holds whatever lock guards the list.
ReportResult applyReport(RecordList& list, const ApReport& decoded, std::uint8_t channel);

} // namespace marlow
