// What a site file holds, written for other programs and for people: the
// JSON dump, the CSV export and the summary printed by the tws tool. Each
// takes an opened site and the store its points were loaded into.
//
// Texts (point names, MAC texts, SSIDs) are stored as bytes in no
// particular encoding and written as valid UTF-8, escaped as ExportText.h
// tells: UTF-8 stays as it is, any other byte becomes \xNN, a backslash is
// doubled, and no control character is ever written raw.
#pragma once

#include "SiteReader.h"
#include "store/RecordList.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace marlow {

// One line of JSON: version, save time, floor-plan size and the points with
// their records. A point here is a stored point record: a run of adjacent
// records at one position under one name, so every record keeps its point's
// name. Each text goes out escaped, control characters as JSON's \u00XX,
// and beside it the exact bytes in lower-case hex under the same key with
// "Hex" added ("name"/"nameHex", "mac"/"macHex", "ssid"/"ssidHex").
void writeJson(std::ostream& out, const OpenedSite& site, const RecordList& store);

// A header row, then one row per record with the 1-based number of its
// point as on the map (a run of adjacent records at one position). Text
// cells are escaped, control characters as \xNN; one that would start with
// =, +, - or @ gets a leading ' so that spreadsheets do not run it as a
// formula; cells with a comma or a quote are quoted (RFC 4180). Numbers
// (RSSI is negative) are written as they are.
void writeCsv(std::ostream& out, const RecordList& store);

// Header fields, floor-plan size and the numbers of points as on the map,
// access-point records and points where nothing was heard, one
// "label: value" a line. It writes no stored text.
void writeInfo(std::ostream& out, const OpenedSite& site, const RecordList& store);

// A save time as the summary shows it: ISO 8601 in UTC, 2023-11-14T22:13:20Z.
std::string isoUtcTime(std::uint32_t secondsSinceEpoch);

} // namespace marlow
