// Generation of the benchmark site: the floor plan, a survey with varied
// positions, access points, SSIDs, RSSIs and channels, and the site file
// written from them by the same code the application uses.
#include "BenchSite.h"

#include "sitefile/SiteCreator.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <random>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace marlow::bench {

namespace {

constexpr int AccessPointCount = 300;
constexpr int GridColumns = 100; // 100 x 80 cells of 40 x 37 pixels hold the points
constexpr std::int32_t CellWidth = PlanWidth / GridColumns;
constexpr std::int32_t CellHeight = 37;
constexpr std::int32_t WallSpacing = 200;

struct AccessPoint {
    std::uint8_t mac[6] = {};
    std::string ssid;
    std::int16_t channel = 0;
};

// Grey levels for the colour table; the plan is white with black walls.
SiteBitmap makePlan() {
    SiteBitmap plan;
    plan.width = PlanWidth;
    plan.height = PlanHeight;
    for (std::size_t i = 0; i < 256; ++i) {
        for (std::size_t c = 0; c < 3; ++c)
            plan.colorTable[i * 4 + c] = static_cast<std::uint8_t>(i);
    }
    const std::uint32_t stride = plan.rowStride();
    plan.pixels.assign(std::size_t{stride} * PlanHeight, 0xFF);
    for (std::int32_t y = 0; y < PlanHeight; ++y) {
        std::uint8_t* row = plan.pixels.data() + std::size_t{stride} * static_cast<std::size_t>(y);
        for (std::int32_t x = 0; x < PlanWidth; ++x) {
            if (x % WallSpacing < 3 || y % WallSpacing < 3)
                row[x] = 0x00;
        }
    }
    return plan;
}

std::vector<AccessPoint> makeAccessPoints(std::mt19937& random) {
    static constexpr std::array<const char*, 8> names = {
        "Marlow",   "Office-5G", "Guest",       "Warehouse Floor Network",
        "Lab_Test", "Printers",  "IoT-Sensors", "Conference Room West Wing AP"};
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> channel(1, 13);
    std::vector<AccessPoint> aps(AccessPointCount);
    for (std::size_t i = 0; i < aps.size(); ++i) {
        AccessPoint& ap = aps[i];
        ap.mac[0] = 0x00;
        ap.mac[1] = 0x1A;
        ap.mac[2] = static_cast<std::uint8_t>(byte(random));
        ap.mac[3] = static_cast<std::uint8_t>(byte(random));
        ap.mac[4] = static_cast<std::uint8_t>(i >> 8);
        ap.mac[5] = static_cast<std::uint8_t>(i);
        ap.ssid = std::string(names[i % names.size()]) + "-" + std::to_string(i);
        ap.channel = static_cast<std::int16_t>(channel(random));
    }
    return aps;
}

RecordNode* newNode(RecordList& store) {
    RecordNode* node = nullptr;
    if (store.newNode(node) != RecordList::Ok)
        throw std::bad_alloc();
    return node;
}

// Each point lies somewhere in its own grid cell, so neighbouring points
// never share a position, and hears four different access points.
void fillSurvey(RecordList& store) {
    std::mt19937 random(20240611);
    const std::vector<AccessPoint> aps = makeAccessPoints(random);
    std::uniform_int_distribution<std::int32_t> dx(0, CellWidth - 1);
    std::uniform_int_distribution<std::int32_t> dy(0, CellHeight - 1);
    std::uniform_int_distribution<std::size_t> pick(0, aps.size() - 1);
    std::uniform_int_distribution<int> rssi(-95, -30);
    for (int p = 0; p < PointCount; ++p) {
        const std::int32_t x = (p % GridColumns) * CellWidth + dx(random);
        const std::int32_t y = (p / GridColumns) * CellHeight + dy(random);
        const std::string name = "Point " + std::to_string(p + 1);
        std::array<std::size_t, ApsPerPoint> heard = {};
        for (int a = 0; a < ApsPerPoint; ++a) {
            bool repeated = true;
            while (repeated) {
                heard[static_cast<std::size_t>(a)] = pick(random);
                repeated = false;
                for (int b = 0; b < a; ++b)
                    repeated = repeated || heard[static_cast<std::size_t>(b)] ==
                                               heard[static_cast<std::size_t>(a)];
            }
            const AccessPoint& ap = aps[heard[static_cast<std::size_t>(a)]];
            RecordNode* node = newNode(store);
            SurveyRecord& r = node->record;
            r.x = x;
            r.y = y;
            setText(r.pointName, name);
            std::copy(std::begin(ap.mac), std::end(ap.mac), r.macAddr);
            formatMacText(r.macText, r.macAddr);
            setText(r.ssid, ap.ssid);
            r.rssi = rssi(random);
            r.channel = ap.channel;
            r.sampleCount = 1;
            store.append(node);
        }
    }
}

template <typename T> void check(const SiteResult<T>& result, const char* step) {
    if (!result)
        throw std::runtime_error(std::string(step) + ": " + result.error().message + " " +
                                 result.error().detail);
}

} // namespace

TemporaryDirectory::TemporaryDirectory() {
    char pattern[] = "/tmp/marlow-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        throw std::system_error(errno, std::generic_category(), "mkdtemp");
    m_path = pattern;
}

TemporaryDirectory::~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string TemporaryDirectory::pathOf(std::string_view name) const {
    return m_path + "/" + std::string(name);
}

BenchSite::BenchSite() : m_sitePath(m_directory.pathOf("survey.site")) {
    fillSurvey(m_store);
    check(createSite(m_sitePath, makePlan(), SaveTime), "creating the site");
    const SiteResult<OpenedSite> created = openSite(m_sitePath);
    check(created, "opening the new site");
    m_file = created->file;
    check(saveSiteData(m_sitePath, m_file, m_store, BlankSignature(), SaveTime),
          "saving the survey");

    // The saved file must load back as the whole survey.
    const SiteResult<OpenedSite> saved = openSite(m_sitePath);
    check(saved, "opening the saved site");
    RecordList loaded;
    loadPoints(*saved, loaded, nullptr);
    if (loaded.size() != RecordCount)
        throw std::runtime_error("the saved site loads " + std::to_string(loaded.size()) +
                                 " records instead of " + std::to_string(RecordCount));
}

} // namespace marlow::bench
