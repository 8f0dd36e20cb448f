// What a site file holds, written for other programs and for people: the
// JSON dump, the CSV export and the summary printed by the tws tool. Each
// takes an opened site and the store its points were loaded into; a point
// is a run of adjacent records at one position, as on the map.
#pragma once

#include "SiteReader.h"
#include "store/RecordList.h"

#include <ostream>

namespace marlow {

// One line of JSON: version, save time, floor-plan size and the points with
// their records. Texts are taken as 8-bit: bytes from 0x80 up are written as
// \u00XX, so the output is valid JSON whatever the file holds.
void writeJson(std::ostream& out, const OpenedSite& site, const RecordList& store);

// A header row, then one row per record with its 1-based point number.
void writeCsv(std::ostream& out, const RecordList& store);

// Header fields, floor-plan size and the numbers of points, access-point
// records and points where nothing was heard, one "label: value" a line.
void writeInfo(std::ostream& out, const OpenedSite& site, const RecordList& store);

} // namespace marlow
