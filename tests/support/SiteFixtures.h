// Survey records and small site files made for tests.
#pragma once

#include "TempDir.h"
#include "sitefile/SiteBitmap.h"
#include "sitefile/SiteCreator.h"
#include "store/RecordList.h"
#include "store/SurveyRecord.h"

#include <cstdint>
#include <cstring>
#include <new>
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

inline SurveyRecord makeRecord(const RecordFields& fields) {
    SurveyRecord r;
    r.x = fields.x;
    r.y = fields.y;
    setText(r.pointName, fields.name);
    std::memcpy(r.macAddr, fields.mac, sizeof r.macAddr);
    formatMacText(r.macText, r.macAddr);
    setText(r.ssid, fields.ssid);
    r.channel = fields.channel;
    r.rssi = fields.rssi;
    r.sampleCount = 1;
    return r;
}

// An access-point record whose MAC ends in the given byte.
inline SurveyRecord apRecord(std::int32_t x, std::int32_t y, std::uint8_t macTail,
                             std::int16_t rssi, const std::string& ssid = "lab",
                             std::int16_t channel = 6) {
    return makeRecord({.x = x,
                       .y = y,
                       .mac = {0x00, 0x11, 0, 0, 0, macTail},
                       .ssid = ssid,
                       .channel = channel,
                       .rssi = rssi});
}

// The placeholder that a scan which heard nothing commits.
inline SurveyRecord committedPlaceholder(std::int32_t x, std::int32_t y) {
    return makeRecord({.x = x, .y = y, .name = "FILL", .ssid = "FILL", .channel = 0, .rssi = 0});
}

inline void appendRecord(RecordList& list, const SurveyRecord& record) {
    if (list.appendCopy(record) != RecordList::Ok)
        throw std::bad_alloc();
}

// Each record as "name x,y MAC channel rssi SSID".
inline std::vector<std::string> describe(const RecordList& list) {
    std::vector<std::string> lines;
    for (const SurveyRecord& r : list)
        lines.push_back(std::string(textOf(r.pointName)) + " " + std::to_string(r.x) + "," +
                        std::to_string(r.y) + " " + r.macText + " " + std::to_string(r.channel) +
                        " " + std::to_string(r.rssi) + " " + std::string(textOf(r.ssid)));
    return lines;
}

// A small floor plan whose pixel at (x, y) is (x + 3 * y) % 256, with a
// grey-scale colour table.
inline SiteBitmap testPlan(std::int32_t width, std::int32_t height) {
    SiteBitmap plan;
    plan.width = width;
    plan.height = height;
    plan.topDown = true;
    for (std::size_t i = 0; i < plan.colorTable.size(); ++i)
        plan.colorTable[i] = i % 4 == 3 ? 0 : static_cast<std::uint8_t>(i / 4);
    plan.pixels.resize(std::size_t{plan.rowStride()} * static_cast<std::size_t>(height));
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x)
            plan.pixels[y * plan.rowStride() + x] = static_cast<std::uint8_t>((x + 3 * y) % 256);
    }
    return plan;
}

// A new, empty site file made from testPlan(width, height).
inline void makeSite(const std::string& path, std::int32_t width = 13, std::int32_t height = 7) {
    if (!createSite(path, testPlan(width, height), 1'700'000'000))
        throw std::runtime_error("cannot create " + path);
}

} // namespace marlow::test
