// Reading a site file: the header, the floor-plan bitmap and the stored
// survey points. Opening validates the whole file before anything is shown;
// loading the points is a second step, since the user is asked in between
// whether to keep them.
#pragma once

#include "SiteBitmap.h"
#include "SiteError.h"
#include "store/RecordList.h"
#include "store/SiteState.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace marlow {

struct OpenedSite {
    // Header, record sizes and floor-plan size of the file; counters zero.
    SiteState state;
    SiteBitmap bitmap;
    // The survey data after the two record sizes; empty when the file has
    // no (complete) data section.
    std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>> surveyData;
};

struct OpenResult {
    SiteError error; // empty on success
    OpenedSite site;
};

OpenResult openSite(const std::string& path);

// Called once per loaded point with its position and the RSSI that colours
// its mark (-120 for a point where nothing was heard).
using MarkSink = std::function<void(std::int32_t x, std::int32_t y, int rssi)>;

// Appends the stored points to the store, one run of records per point, and
// reports each point's mark. A record cut short by the end of the file ends
// the loading; a point none of whose records arrived gets no mark, as
// nothing of it was loaded.
void loadPoints(const OpenedSite& site, RecordList& store, const MarkSink& drawMark);

} // namespace marlow
