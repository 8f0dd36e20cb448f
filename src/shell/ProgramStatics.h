// The program's static objects: the ids of the two registered messages, the
// two program-wide record lists, and the view's context made from them.
#pragma once

#include "store/RecordList.h"
#include "store/SharedRecordList.h"
#include "view/widget/ViewContext.h"

#include <QEvent>

namespace marlow {

extern const QEvent::Type MarlDraw;
extern const QEvent::Type MarlStatusUpdate;
// ScanList, the access points of the scan in progress, shared with the
// analyzer link's reader thread; SurveyStore, every record of the open site,
// used on the user-interface thread only.
extern SharedRecordList ScanList;
extern RecordList SurveyStore;

ViewContext programContext(MessageBoxes& boxes, Sounds& sounds);

} // namespace marlow
