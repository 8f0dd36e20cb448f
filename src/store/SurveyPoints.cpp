// Counting the store's survey points.
#include "SurveyPoints.h"

namespace marlow {

std::size_t surveyPointCount(const RecordList& store) {
    std::size_t points = 0;
    const SurveyRecord* previous = nullptr;
    for (const SurveyRecord& record : store) {
        if (!previous || record.x != previous->x || record.y != previous->y)
            ++points;
        previous = &record;
    }
    return points;
}

} // namespace marlow
