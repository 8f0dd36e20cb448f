// Reading a site file: the header, the floor-plan bitmap and the stored
// survey points. Opening validates the whole file before anything is shown;
// loading the points is a second step, since the user is asked in between
// whether to keep them.
#pragma once

#include "SiteBitmap.h"
#include "SiteError.h"
#include "SiteFileState.h"
#include "store/RecordList.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace marlow {

// The RSSI of the placeholder that stands for a stored point without
// access-point records.
constexpr std::int32_t LoadedPlaceholderRssi = -100;

struct OpenedSite {
    // Header, record sizes and floor-plan size of the file.
    SiteFileState file;
    SiteBitmap bitmap;
    // The survey data after the two record sizes; empty when the file has
    // no (complete) data section.
    std::vector<std::uint8_t, UninitializedAllocator<std::uint8_t>> surveyData;
};

SiteResult<OpenedSite> openSite(const std::string& path);

// True when the file's data section holds at least one stored point.
bool holdsPoints(const OpenedSite& site);

// Called once per loaded point with its position and the RSSI that colours
// its mark (NoSignalRssi for a point where nothing was heard).
using MarkSink = std::function<void(std::int32_t x, std::int32_t y, int rssi)>;

// Appends the stored points to the store, one run of records per point, and
// reports each point's mark. A record cut short by the end of the file ends
// the loading; a point none of whose records arrived gets no mark, as
// nothing of it was loaded.
void loadPoints(const OpenedSite& site, RecordList& store, const MarkSink& drawMark);

} // namespace marlow
