// The commands of the tws tool. Each prints its result on standard output
// and any failure, naming the file, as one line on standard error, and
// returns the exit status.
#pragma once

#include "ReportOptions.h"
#include "sitefile/SiteError.h"
#include "sitefile/SiteReader.h"

#include <string>
#include <string_view>
#include <vector>

namespace marlow::tws {

constexpr int ExitOk = 0;
constexpr int ExitFileError = 1;
constexpr int ExitUsage = 2;

// Prints the problem and a pointer to the help; returns ExitUsage.
int usageError(const std::string& problem);
// Prints the problem with the file it concerns; returns ExitFileError.
int fileError(const std::string& path, const std::string& problem);
// The same for a site file's error, with its detail.
int fileError(const std::string& path, const SiteError& error);
// Tells, on standard error, that the site file ends before all its points
// when it does: what the command shows is then only the points before the
// cut.
void noteEndsEarly(const std::string& path, const OpenedSite& site, const RecordList& store);

int createCommand(const std::string& planPath, const std::string& sitePath);
int infoCommand(const std::string& path);
int dumpCommand(const std::string& path);
int csvExportCommand(const std::string& path);
int signatureCommand(const std::string& path, const std::string& picturePath);
// Joins the surveys of the sites, which must share one floor plan, into a
// new site file at outPath; see Merge.h for what it holds. Every input is
// read whole before the output is written, and the output replaces any
// file there only once complete, so outPath may name one of the inputs.
int mergeCommand(const std::vector<std::string>& inputs, const std::string& outPath);

struct ReportRequest {
    std::string sitePath;
    std::string pdfPath;
    std::string htmlPath; // empty: no HTML page
    ReportOptions options;
};
int reportCommand(const ReportRequest& request);

// SITE OUT.png, the coverage options and --palette, in any order.
int heatmapCommand(const std::vector<std::string>& args);

// The heatmap command's line in the usage text's list of commands, and the
// help on its own options.
extern const std::string_view HeatmapSynopsis;
extern const std::string_view HeatmapOptionsHelp;

} // namespace marlow::tws
