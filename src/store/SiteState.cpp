// The two operations on the open site that every Open and every measurement
// start with.
#include "SiteState.h"

namespace marlow {

void resetSurvey(SiteState& site, RecordList& store) {
    store.clear();
    site.locationCount = 0;
    site.apRecordCount = 0;
}

void startMeasurement(SiteState& site, SharedRecordList& scanList, std::int32_t x, std::int32_t y,
                      std::string_view name) {
    site.newX = x;
    site.newY = y;
    setText(site.newName, name);
    scanList.withLock([](RecordList& list) { list.clear(); });
}

} // namespace marlow
