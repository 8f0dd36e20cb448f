// SiteFileState: what the writers need from the site file that was opened:
// its header exactly as read, the record sizes its data section declared,
// and the size of its floor plan, so that a save rewrites only its own
// regions and keeps clear of the rest.
#pragma once

#include "SiteFormat.h"

#include <cstdint>

namespace marlow {

struct SiteFileState {
    // The first 150 bytes of the header; the writers put them back with only
    // statusByte and saveTime changed.
    HeaderBytes header = {};
    std::int32_t pointRecordSize = StoredPointRecordSize;
    std::int32_t apRecordSize = StoredApRecordSize;
    // Bytes of the floor-plan bitmap at the header's bitmap offset; the
    // writers keep the signature block off it.
    std::uint32_t bitmapSize = 0;
};

// Where the file's regions lie, from its header and its plan's size.
SiteLayout layoutOf(const SiteFileState& file);

} // namespace marlow
