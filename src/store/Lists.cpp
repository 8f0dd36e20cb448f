#include "Lists.h"

namespace marlow {

// Defined in this order in one translation unit: construction follows it and
// destruction runs the other way round, SurveyStore first.
SharedRecordList ScanList;
RecordList SurveyStore;

} // namespace marlow
