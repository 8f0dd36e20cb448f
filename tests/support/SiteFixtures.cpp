#include "SiteFixtures.h"

#include "sitefile/SiteCreator.h"

#include <cstring>
#include <stdexcept>

namespace marlow::test {

SurveyRecord makeRecord(const RecordFields& fields) {
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

SurveyRecord apRecord(std::int32_t x, std::int32_t y, std::uint8_t macTail, std::int16_t rssi,
                      const std::string& ssid, std::int16_t channel) {
    RecordFields fields;
    fields.x = x;
    fields.y = y;
    fields.mac[0] = 0x00;
    fields.mac[1] = 0x11;
    fields.mac[5] = macTail;
    fields.ssid = ssid;
    fields.channel = channel;
    fields.rssi = rssi;
    return makeRecord(fields);
}

SurveyRecord committedPlaceholder(std::int32_t x, std::int32_t y) {
    RecordFields fields;
    fields.x = x;
    fields.y = y;
    fields.name = "FILL";
    fields.ssid = "FILL";
    fields.channel = 0;
    fields.rssi = 0;
    return makeRecord(fields);
}

void appendRecord(RecordList& list, const SurveyRecord& record) {
    RecordNode* node = nullptr;
    if (list.newNode(node) != RecordList::Ok)
        throw std::bad_alloc();
    node->record = record;
    list.append(node);
}

SiteBitmap testPlan(std::int32_t width, std::int32_t height) {
    SiteBitmap plan;
    plan.width = width;
    plan.height = height;
    for (int i = 0; i < 256; ++i) {
        for (int c = 0; c < 3; ++c)
            plan.colorTable[static_cast<std::size_t>(i * 4 + c)] = static_cast<std::uint8_t>(i);
    }
    plan.topDown = true;
    plan.pixels.assign(
        static_cast<std::size_t>(plan.rowStride()) * static_cast<std::size_t>(height), 0);
    for (std::int32_t y = 0; y < height; ++y) {
        for (std::int32_t x = 0; x < width; ++x)
            plan.pixels[static_cast<std::size_t>(y) * plan.rowStride() +
                        static_cast<std::size_t>(x)] = static_cast<std::uint8_t>((x + 3 * y) % 256);
    }
    return plan;
}

void makeSite(const std::string& path, std::int32_t width, std::int32_t height) {
    if (createSite(path, testPlan(width, height), 1'700'000'000))
        throw std::runtime_error("cannot create " + path);
}

} // namespace marlow::test
