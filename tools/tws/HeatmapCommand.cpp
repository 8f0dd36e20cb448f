// tws heatmap: a coverage map of a site drawn over its floor plan.
#include "Commands.h"
#include "CoverageArgs.h"
#include "HeatmapImage.h"
#include "OffscreenGui.h"
#include "PictureFile.h"
#include "ProgressBar.h"
#include "analysis/Coverage.h"
#include "analysis/SurveyedPoints.h"
#include "sitefile/SiteReader.h"

#include <algorithm>
#include <array>
#include <iostream>
#include <new>

namespace marlow::tws {

const std::string_view HeatmapSynopsis =
    "  tws heatmap FILE OUT.png [OPTIONS]\n"
    "                                a coverage map over the floor plan, as a picture\n";

const std::string_view HeatmapOptionsHelp =
    "\n"
    "Heatmap options:\n"
    "  --palette rssi       the program's RSSI colours (the default)\n"
    "  --palette viridis    the same steps in colours that do not rest on telling\n"
    "                       red from green\n";

namespace {

constexpr std::string_view PaletteOption = "--palette";
constexpr std::array<std::string_view, 1> OwnOptions = {PaletteOption};

struct HeatmapJob {
    std::string sitePath;
    std::string picturePath;
    analysis::CoverageOptions coverage;
    Palette palette = Palette::Rssi;
};

Result<HeatmapJob> readCommandLine(const std::vector<std::string>& args) {
    Result<CoverageArgs> parsed = parseCoverageArgs(args, OwnOptions);
    if (!parsed)
        return fail(parsed.error());
    if (parsed->operands.size() != 2)
        return fail(Error{"heatmap needs a site file and a picture to write; usage: tws heatmap "
                          "FILE OUT.png [OPTIONS]"});
    HeatmapJob job{parsed->operands[0], parsed->operands[1], parsed->coverage, Palette::Rssi};
    if (const auto palette = parsed->own.find(PaletteOption); palette != parsed->own.end()) {
        if (palette->second == "viridis")
            job.palette = Palette::Viridis;
        else if (palette->second != "rssi")
            return fail(
                Error{"bad value '" + palette->second + "' for --palette: rssi or viridis"});
    }
    return job;
}

// A word on what the map will show when the survey gives it little to go on.
void noteThinSurvey(const std::string& path, const std::vector<analysis::SurveyedPoint>& points,
                    const analysis::ApFilter& filter) {
    if (points.empty()) {
        std::cerr << "tws: " << path
                  << ": the site has no survey points; the picture shows the "
                     "plan alone\n";
        return;
    }
    const bool anyHeard = std::any_of(points.begin(), points.end(), [&](const auto& point) {
        return std::any_of(point.heard.begin(), point.heard.end(),
                           [&](const analysis::HeardAp& ap) { return filter.accepts(ap); });
    });
    if (!anyHeard)
        std::cerr << "tws: " << path << ": no access point "
                  << (filter.empty() ? "was heard" : "that the options choose was heard")
                  << "; the map shows no signal wherever the survey reached\n";
}

} // namespace

int heatmapCommand(const std::vector<std::string>& args) {
    const Result<HeatmapJob> job = readCommandLine(args);
    if (!job)
        return usageError(job.error().message);
    const SiteResult<OpenedSite> opened = openSite(job->sitePath);
    if (!opened)
        return fileError(job->sitePath, opened.error());
    try {
        RecordList store;
        loadPoints(*opened, store, nullptr);
        noteEndsEarly(job->sitePath, *opened, store);
        const std::vector<analysis::SurveyedPoint> points = analysis::surveyedPoints(store);
        noteThinSurvey(job->sitePath, points, job->coverage.filter);

        ProgressBar progress("tws heatmap");
        const SiteBitmap& plan = opened->bitmap;
        const analysis::CoverageMap map =
            analysis::estimateCoverage(points, plan.width, plan.height, job->coverage,
                                       [&](double share) { progress.show(share); });
        progress.say("drawing and writing the picture");
        // The legend's text needs a GUI application.
        const OffscreenGui gui;
        const QImage picture = renderHeatmap(plan, map, job->palette);
        if (picture.isNull())
            return fileError(job->picturePath, "not enough memory for the picture");
        if (const Result<void> written = writePng(job->picturePath, picture); !written)
            return fileError(job->picturePath, written.error().message);
    } catch (const std::bad_alloc&) {
        return fileError(job->sitePath, "not enough memory for the map of this site");
    }
    return ExitOk;
}

} // namespace marlow::tws
