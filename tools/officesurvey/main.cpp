// officesurvey: walks the sample office on a regular grid and records what
// the office's simulated radio hears at each stop, as the program stores a
// measured point, into a copy of the sample site: the survey behind the
// pictures of a coverage map and a report. The radio's noise is seeded and
// the save time fixed, so the same site always gives the same bytes.
#include "board/OfficeScenario.h"
#include "board/PathLossRadio.h"
#include "link/ApplyReport.h"
#include "measure/Measurement.h"
#include "protocol/ApReport.h"
#include "protocol/BeaconBuilder.h"
#include "sitefile/ReplacementFile.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"
#include "store/SiteState.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace marlow;

// A stop every 80 pixels, 4 m at the scenario's 20 pixels a metre, as a
// surveyor paces an office. The first stop is placed so that no stop comes
// within 12 pixels of a room's label: with or without the labels' font the
// walk is the same.
constexpr int GridStep = 80;
constexpr int FirstX = 100;
constexpr int FirstY = 60;
// The floor is drawn in light colours, walls, furniture and labels in dark
// ones: a stop is made where every channel of the pixel is this or above.
constexpr std::uint32_t FloorLightness = 200;
// 2026-06-01 00:00:00 UTC.
constexpr std::uint32_t SaveTime = 1'780'272'000;

struct Stop {
    std::int32_t x;
    std::int32_t y;
};

bool onFloor(const SiteBitmap& plan, std::int32_t x, std::int32_t y) {
    const std::uint32_t rgb = plan.rgb(plan.row(y)[x]);
    return ((rgb >> 16) & 0xFF) >= FloorLightness && ((rgb >> 8) & 0xFF) >= FloorLightness &&
           (rgb & 0xFF) >= FloorLightness;
}

// The grid's stops on the floor, row by row, each row walked the other way
// from the one before.
std::vector<Stop> walk(const SiteBitmap& plan) {
    std::vector<Stop> stops;
    bool eastward = true;
    for (std::int32_t y = FirstY; y < plan.height; y += GridStep, eastward = !eastward) {
        std::vector<Stop> row;
        for (std::int32_t x = FirstX; x < plan.width; x += GridStep)
            if (onFloor(plan, x, y))
                row.push_back({x, y});
        if (!eastward)
            std::reverse(row.begin(), row.end());
        stops.insert(stops.end(), row.begin(), row.end());
    }
    return stops;
}

// One sweep of the radio where the surveyor stands, each sighting sent as
// the board reports it and folded into the scan list as the link does.
void sweep(board::PathLossRadio& radio, Stop at, SharedRecordList& scan) {
    radio.setSurveyPosition({static_cast<double>(at.x), static_cast<double>(at.y)});
    radio.sweepStarted();
    for (const std::uint8_t channel : radio.sweepChannels()) {
        for (const board::HeardBeacon& heard : radio.listen(channel)) {
            BeaconFields beacon;
            beacon.transmitter = heard.transmitter;
            const std::vector<std::uint8_t> elements =
                heard.elements ? *heard.elements
                               : encodeElements(basicBeaconElements(heard.ssid, heard.channel));
            const std::vector<std::uint8_t> capture = beaconCapture(beacon, elements);
            for (const std::int8_t rssi : heard.rssiSamples) {
                const std::vector<std::uint8_t> payload =
                    reportPayload(rssi, capture, static_cast<std::uint16_t>(capture.size()));
                const std::optional<ApReport> report = decodeApReport(payload);
                if (!report)
                    continue;
                scan.withLock([&](RecordList& list) {
                    return applyReport(list, *report, report->channel.value_or(channel));
                });
            }
        }
    }
}

int fail(const std::string& path, const std::string& problem) {
    std::fprintf(stderr, "officesurvey: %s: %s\n", path.c_str(), problem.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("Usage: officesurvey OFFICE.tws OUT.tws\n"
                   "Surveys the sample office with its simulated radio into a copy of it.\n",
                   stderr);
        return 2;
    }
    const std::string sitePath = argv[1];
    const std::string outPath = argv[2];
    const SiteResult<OpenedSite> opened = openSite(sitePath);
    if (!opened)
        return fail(sitePath, opened.error().message);

    board::PathLossRadio radio(board::officeScenario());
    SharedRecordList scan;
    SiteState site;
    RecordList store;
    int silent = 0;
    for (const Stop& stop : walk(opened->bitmap)) {
        startMeasurement(site, scan, stop.x, stop.y, TakenPointName);
        sweep(radio, stop, scan);
        if (!commitScan(site, scan, store))
            ++silent;
    }

    const SiteResult<std::vector<std::uint8_t>> contents =
        siteDataContents(sitePath, opened->file, store, BlankSignature(), SaveTime);
    if (!contents)
        return fail(sitePath, contents.error().message + " (" + contents.error().detail + ')');
    if (const Result<void> written = replaceFile(outPath, *contents); !written)
        return fail(outPath, written.error().message);
    std::printf("officesurvey: %d points, %d where nothing was heard, %d records\n",
                site.locationCount, silent, static_cast<int>(store.size()));
    return 0;
}
