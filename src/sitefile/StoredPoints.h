// The stored points of a site file's survey data section, read in pieces
// and counted before any is kept, so that what is allocated is bounded by
// what the file really holds and a file too large to load whole is refused
// rather than loaded in part.
#pragma once

#include "SiteError.h"
#include "store/RecordList.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace marlow {

// The most survey records a site file may hold; a larger file is refused.
constexpr std::uint64_t MaxStoredRecords = 10'000'000;

// The RSSI of the placeholder that stands for a stored point without
// access-point records.
constexpr std::int32_t LoadedPlaceholderRssi = -100;

// Where a loaded point is marked on the plan, and the RSSI that colours it.
struct PointMark {
    std::int32_t x = 0;
    std::int32_t y = 0;
    int rssi = 0;
    // How many records of the list the point loaded as; the points' records
    // follow one another in the list in the order of their marks.
    std::uint32_t records = 0;
};

struct StoredPoints {
    // One run of records per stored point, in file order; never null.
    std::unique_ptr<RecordList> records = std::make_unique<RecordList>();
    // One mark per stored point of which something loaded.
    std::vector<PointMark> marks;
    // The points as the program counts them: runs of adjacent records with
    // an equal position.
    std::size_t pointCount = 0;
    // The file ends before the data it announces is complete: what is
    // complete is loaded, the rest is missing.
    bool endsEarly = false;
};

// The survey records of an open file: the bytes [begin, end) after the two
// record sizes, and those sizes.
struct DataSection {
    int fd = -1;
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    std::uint32_t pointSize = 0;
    std::uint32_t apSize = 0;
};

// Reads the section's records. A record cut short by the end of the file
// ends the reading and marks the result as ending early.
SiteResult<StoredPoints> readStoredPoints(const DataSection& section);

} // namespace marlow
