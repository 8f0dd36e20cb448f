// The program's static objects, made before main in this order: the id of
// MARL_DRAW, ScanList, then SurveyStore, then the id of MARL_STATUS_UPDATE.
// Defining them in this one translation unit fixes that order, and their
// destruction at exit runs the other way: SurveyStore before ScanList.
#include "shell/ProgramStatics.h"

#include "journal/Journal.h"
#include "shell/RegisteredMessages.h"

namespace marlow {

const QEvent::Type MarlDraw = registerMessage("MARL_DRAW");
SharedRecordList ScanList;
RecordList SurveyStore;
const QEvent::Type MarlStatusUpdate = registerMessage("MARL_STATUS_UPDATE");

ViewContext programContext(MessageBoxes& boxes, Sounds& sounds) {
    return {ScanList, SurveyStore,           MarlDraw, MarlStatusUpdate, boxes,
            sounds,   defaultJournalFolder()};
}

} // namespace marlow
