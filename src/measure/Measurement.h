// The survey operations behind a tap: committing a finished scan into the
// store, selecting the stored point nearest a map position, and removing the
// selected point.
#pragma once

#include "store/RecordList.h"
#include "store/SharedRecordList.h"
#include "store/SiteState.h"

#include <cstdint>
#include <span>

namespace marlow {

// The name every point taken here carries.
constexpr const char* TakenPointName = "TEST";

// The placeholder a scan that heard nothing commits: "FILL" as its point
// name and SSID, RSSI 0.
constexpr const char* CommittedPlaceholderText = "FILL";
constexpr std::int32_t CommittedPlaceholderRssi = 0;

// lastBestRssi starts here at each commit, so a point whose best average is
// this or weaker is coloured as this.
constexpr std::int16_t CommitBestRssiFloor = -90;

// Copies the scan into the store as the records of the point being
// measured (average RSSI per access point), or stores the "FILL" placeholder
// when nothing was heard. Counts the point and its records and sets
// lastBestRssi. True when at least one access point was heard.
bool commitScan(SiteState& site, const SharedRecordList& scan, RecordList& store);

// Stores one point's records as a commit does: counts the point, appends
// the records in order and, when access points were heard (the records are
// theirs, not the placeholder), counts them and keeps the strongest in
// lastBestRssi. A record the store has no memory for ends the
// point. commitScan and a journal's replay both store points through it, so
// a replayed point leaves the store and counters as the live one did.
void storeCommittedPoint(SiteState& site, std::span<const SurveyRecord> records, bool heard,
                         RecordList& store);

// Finds the stored point nearest (mx, my) and fills the selection summary
// of its whole run. False, with nothing changed, when no point lies within
// the selection radius.
bool selectNearestPoint(SiteState& site, const RecordList& store, std::int32_t mx, std::int32_t my);

// Removes the selected point's run of records. The counters stay: they
// count what was taken since the site was opened.
void removeSelectedPoint(const SiteState& site, RecordList& store);

} // namespace marlow
