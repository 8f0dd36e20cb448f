// Grouping the loaded records into survey points.
#include "analysis/SurveyedPoints.h"

#include <algorithm>

namespace marlow::analysis {

std::vector<SurveyedPoint> surveyedPoints(const RecordList& store) {
    std::vector<SurveyedPoint> points;
    for (const SurveyRecord& record : store) {
        if (points.empty() || points.back().x != record.x || points.back().y != record.y)
            points.push_back({record.x, record.y, std::string(textOf(record.pointName)), {}});
        if (isPlaceholder(record))
            continue;
        HeardAp ap;
        std::copy(std::begin(record.macAddr), std::end(record.macAddr), ap.mac.begin());
        ap.ssid = std::string(textOf(record.ssid));
        ap.channel = record.channel;
        ap.rssi = averageRssi(record);
        points.back().heard.push_back(std::move(ap));
    }
    return points;
}

} // namespace marlow::analysis
