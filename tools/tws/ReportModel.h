// A survey report as its writers see it: a cover, then sections that are
// either picture pages or tables. The PDF and HTML writers lay out the same
// model, so a page added here shows in both.
//
// Every text here is display text: stored bytes already escaped as the
// exports escape them (ExportText.h), so no control character is left; the
// writers treat it as plain text, never as markup.
#pragma once

#include "ReportOptions.h"
#include "analysis/SurveySummary.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteReader.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace marlow::tws {

struct CoverPage {
    QString title;
    std::vector<std::pair<QString, QString>> facts; // label, value
    QImage signature;
    QString signOff;
};

// One picture on a page of its own: the title, the picture scaled to fit
// the page keeping its proportions, and lines of text under it. Coverage
// maps, the survey points and the channel chart are all map pages.
struct MapPage {
    QString title;
    QImage image; // null: the lines alone
    QStringList lines;
};

// A table split across pages as needed, its header row repeated on each.
struct ReportTable {
    QString title;
    QStringList header;
    std::vector<int> widths; // relative column widths, one a column
    std::vector<QStringList> rows;
};

using ReportSection = std::variant<MapPage, ReportTable>;

struct Report {
    QString title;
    CoverPage cover;
    std::vector<ReportSection> sections;
};

// What a report is made from.
struct ReportInput {
    std::string siteName; // as shown on the cover
    const OpenedSite& site;
    const SignaturePixels& signature;
    const std::vector<analysis::SurveyedPoint>& points;
    const analysis::SurveySummary& summary;
};

// progress, when given, hears the share of the coverage maps made (0 to 1).
Report buildReport(const ReportInput& input, const ReportOptions& options,
                   const std::function<void(double)>& progress = {});

// Stored bytes as display text.
QString displayText(std::string_view bytes);

// The longer side of the pictures of the plan, in pixels: enough for a
// printed page.
constexpr int PlanPictureSide = 1200;

// The colours of the discs on the plan: a point where the signal sought was
// heard, and one where it was not.
constexpr QRgb HeardColour = 0xFF0050C8;
constexpr QRgb UnheardColour = 0xFF909090;

} // namespace marlow::tws
