// Survey records and small site files made for tests.
#pragma once

#include "TempDir.h"
#include "sitefile/SiteBitmap.h"
#include "store/RecordList.h"
#include "store/SurveyRecord.h"

#include <cstdint>
#include <string>

namespace marlow::test {

struct RecordFields {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::string name = "TEST";
    std::uint8_t mac[6] = {};
    std::string ssid;
    std::int16_t channel = 6;
    std::int16_t rssi = -60;
};

SurveyRecord makeRecord(const RecordFields& fields);
// An access-point record whose MAC ends in the given byte.
SurveyRecord apRecord(std::int32_t x, std::int32_t y, std::uint8_t macTail, std::int16_t rssi,
                      const std::string& ssid = "lab", std::int16_t channel = 6);
// The placeholder that a scan which heard nothing commits.
SurveyRecord committedPlaceholder(std::int32_t x, std::int32_t y);

void appendRecord(RecordList& list, const SurveyRecord& record);

// A small floor plan whose pixel at (x, y) is (x + 3 * y) % 256, with a
// grey-scale colour table.
SiteBitmap testPlan(std::int32_t width, std::int32_t height);

// A new, empty site file made from testPlan(width, height).
void makeSite(const std::string& path, std::int32_t width = 13, std::int32_t height = 7);

} // namespace marlow::test
