// Reading a site file: the header, the floor-plan bitmap and the stored
// survey points. Opening validates the whole file before anything is shown;
// loading the points is a second step, since the user is asked in between
// whether to keep them.
#pragma once

#include "SiteBitmap.h"
#include "SiteError.h"
#include "SiteFileState.h"
#include "StoredPoints.h"
#include "store/RecordList.h"

#include <cstdint>
#include <functional>
#include <string>

namespace marlow {

struct OpenedSite {
    // Header, record sizes and floor-plan size of the file.
    SiteFileState file;
    SiteBitmap bitmap;
    // The stored points, read whole before the file counts as open; none
    // when the file has no data section.
    StoredPoints points;
};

// Reads the file whole. A file cut short in its signature block or survey
// data opens with the points that are complete and says that it ends
// early; one that ends more than a signature block before its survey data,
// that holds more than can be loaded, or that memory runs out for, is
// refused rather than opened in part.
SiteResult<OpenedSite> openSite(const std::string& path);

// True when the file's data section holds at least one stored point.
bool holdsPoints(const OpenedSite& site);

// Called once per loaded point with its position and the RSSI that colours
// its mark (NoSignalRssi for a point where nothing was heard).
using MarkSink = std::function<void(std::int32_t x, std::int32_t y, int rssi)>;

// Appends copies of the stored points to the store, one run of records per
// point, and reports each point's mark. Throws std::bad_alloc when memory
// runs out, so that a copy is never partial without a word.
void loadPoints(const OpenedSite& site, RecordList& store, const MarkSink& drawMark);

// Appends copies of the stored points to the store such that Save Site Data
// writes each back as the point it was: the loaded records, and before each
// point with access points that follows one at its position (which the
// writer would join to the one before) a placeholder with its name, since a
// placeholder starts a point of its own that the access points after it
// join. For a file Save Site Data wrote, saving them gives its survey data
// back byte for byte. Throws std::bad_alloc when memory runs out.
void loadPointsAsStored(const OpenedSite& site, RecordList& store);

// Moves the stored points into an empty store without allocating, so that
// it cannot fail part-way, and reports each point's mark. The site keeps
// none afterwards.
void movePoints(OpenedSite& site, RecordList& emptyStore, const MarkSink& drawMark);

} // namespace marlow
