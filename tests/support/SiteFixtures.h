// Survey records and small site files made for tests.
#pragma once

#include "TempDir.h"
#include "sitefile/SiteBitmap.h"
#include "sitefile/SiteCreator.h"
#include "store/RecordList.h"
#include "store/SurveyRecord.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <tuple>

namespace marlow::test {

// An access-point record whose MAC is 00 11 00 00 00 macTail.
inline SurveyRecord apRecord(std::int32_t x, std::int32_t y, std::uint8_t macTail,
                             std::int16_t rssi, const std::string& ssid = "lab",
                             std::int16_t channel = 6, const std::string& name = "TEST") {
    SurveyRecord r;
    r.x = x;
    r.y = y;
    setText(r.pointName, name);
    r.macAddr[1] = macTail ? 0x11 : 0;
    r.macAddr[5] = macTail;
    formatMacText(r.macText, r.macAddr);
    setText(r.ssid, ssid);
    r.channel = channel;
    r.rssi = rssi;
    r.sampleCount = 1;
    return r;
}

// The placeholder that a scan which heard nothing commits.
inline SurveyRecord committedPlaceholder(std::int32_t x, std::int32_t y) {
    return apRecord(x, y, 0, 0, "FILL", 0, "FILL");
}

inline void appendRecord(RecordList& list, const SurveyRecord& record) {
    if (list.appendCopy(record) != RecordList::Ok)
        throw std::bad_alloc();
}

// Field by field, every byte of each text field: padding is not compared.
inline bool sameRecord(const SurveyRecord& x, const SurveyRecord& y) {
    return std::tie(x.x, x.y, x.rssi, x.channel, x.sampleCount) ==
               std::tie(y.x, y.y, y.rssi, y.channel, y.sampleCount) &&
           std::memcmp(x.pointName, y.pointName, sizeof x.pointName) == 0 &&
           std::memcmp(x.macText, y.macText, sizeof x.macText) == 0 &&
           std::memcmp(x.macAddr, y.macAddr, sizeof x.macAddr) == 0 &&
           std::memcmp(x.ssid, y.ssid, sizeof x.ssid) == 0;
}

// Two runs of records (a store, a journalled point's), record for record.
template <typename Records, typename Others> bool sameRecords(const Records& a, const Others& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameRecord);
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

// A new, empty site file made from the plan, by default testPlan(13, 7).
inline void makeSite(const std::string& path, const SiteBitmap& plan = testPlan(13, 7)) {
    if (!createSite(path, plan, 1'700'000'000))
        throw std::runtime_error("cannot create " + path);
}

} // namespace marlow::test
