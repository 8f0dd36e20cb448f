// Building the report's model from the summary of a survey.
#include "ReportModel.h"

#include "ChannelChart.h"
#include "ReportMaps.h"
#include "SiteImages.h"
#include "sitefile/ExportText.h"
#include "sitefile/SiteError.h"
#include "sitefile/SiteExport.h"
#include "sitefile/SiteFormat.h"

#include <algorithm>
#include <cstdio>

namespace marlow::tws {

namespace {

using analysis::SurveyedPoint;

QString rssiText(int dbm) {
    return QString::number(dbm) + QStringLiteral(" dBm");
}

QString macText(const analysis::MacAddress& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return QString::fromLatin1(text);
}

// A point as the tables name it: its number on the map, from 1, and name.
QString pointText(const std::vector<SurveyedPoint>& points, std::size_t index) {
    const QString name = displayText(points[index].name);
    return QString::number(index + 1) + (name.isEmpty() ? QString() : QStringLiteral(": ") + name);
}

QString countOf(std::size_t n) {
    return QString::number(n);
}

CoverPage coverOf(const ReportInput& in) {
    const std::string saved = isoUtcTime(decodeHeader(in.site.file.header).saveTime);
    const analysis::SurveySummary& s = in.summary;
    CoverPage cover;
    cover.title = QStringLiteral("Site survey report");
    cover.facts = {
        {QStringLiteral("Site file"), displayText(in.siteName)},
        {QStringLiteral("Saved"), QString::fromStdString(saved)},
        {QStringLiteral("Floor plan"),
         QStringLiteral("%1 x %2 pixels").arg(in.site.bitmap.width).arg(in.site.bitmap.height)},
        {QStringLiteral("Survey points"), QStringLiteral("%1 (nothing heard at %2)")
                                              .arg(s.points.size())
                                              .arg(s.pointsWithNothingHeard)},
        {QStringLiteral("Access points"), countOf(s.accessPoints.size())},
        {QStringLiteral("SSIDs"), countOf(s.ssids.size())},
    };
    if (in.site.points.endsEarly)
        cover.facts.push_back(
            {QStringLiteral("Warning"), QString::fromStdString(endsEarlyMessage(s.points.size()))});
    cover.signature = signatureImage(in.signature);
    // The date of the save is the date the survey was signed off.
    cover.signOff =
        QStringLiteral("Signed off on %1").arg(QString::fromStdString(saved.substr(0, 10)));
    return cover;
}

bool meets(const std::optional<int>& rssi, const ReportOptions& options) {
    return rssi && *rssi >= options.requirementDbm;
}

// The plan with a disc per point: blue where something was heard, grey
// where nothing was.
MapPage surveyPointsPage(const ReportInput& in, QImage plan, const ReportOptions& options) {
    const auto& rows = in.summary.points;
    const auto meeting = std::count_if(rows.begin(), rows.end(), [&](const analysis::PointRow& r) {
        return meets(r.bestRssi, options);
    });
    MapPage page{QStringLiteral("Survey points"),
                 {},
                 {QStringLiteral("Blue: something was heard there; grey: nothing was heard."),
                  QStringLiteral("The strongest signal meets %1 at %2 of %3 points.")
                      .arg(rssiText(options.requirementDbm))
                      .arg(meeting)
                      .arg(rows.size())}};
    if (plan.isNull()) {
        page.lines << QStringLiteral("The floor plan has no pixels.");
        return page;
    }
    std::vector<PointMark> marks;
    marks.reserve(in.points.size());
    for (const SurveyedPoint& p : in.points)
        marks.push_back({p.x, p.y, p.heard.empty() ? UnheardColour : HeardColour});
    page.image = std::move(plan);
    const QSize planSize(in.site.bitmap.width, in.site.bitmap.height);
    if (const std::size_t outside = drawMarks(page.image, planSize, marks); outside > 0)
        page.lines << QStringLiteral(
                          "%1 of the points lie outside the floor plan and are not shown.")
                          .arg(outside);
    return page;
}

// The strongest RSSI of the SSID at the point; none where it was not heard.
std::optional<int> ssidRssi(const SurveyedPoint& point, const std::string& ssid) {
    std::optional<int> best;
    for (const analysis::HeardAp& ap : point.heard) {
        if (ap.ssid == ssid)
            best = std::max(best.value_or(ap.rssi), ap.rssi);
    }
    return best;
}

// The coverage of the strongest and the second-strongest signal, then a
// coverage map of each of the most heard SSIDs, as many as the options
// allow. progress hears the share of the maps made.
void addCoveragePages(Report& report, const ReportInput& in, const ReportMaps& maps,
                      const ReportOptions& options, const std::function<void(double)>& progress) {
    const std::size_t ssidCount = std::min(options.maxSsids, in.summary.ssids.size());
    const double total = 2.0 + static_cast<double>(ssidCount);
    const auto done = [&](std::size_t made) {
        if (progress)
            progress(static_cast<double>(made) / total);
    };
    report.sections.push_back(maps.page(QStringLiteral("Coverage: strongest signal"),
                                        analysis::Metric::Signal, {}, options.requirementDbm,
                                        {QStringLiteral("The strongest access point heard.")}));
    done(1);
    report.sections.push_back(maps.page(
        QStringLiteral("Coverage: second-strongest signal"), analysis::Metric::Second, {},
        options.requirementDbm,
        {QStringLiteral("The second-strongest access point heard: where a client can roam "
                        "to, or fall back on.")}));
    done(2);
    for (std::size_t i = 0; i < ssidCount; ++i) {
        const std::string& ssid = in.summary.ssids[i].ssid;
        const auto meeting =
            std::count_if(in.points.begin(), in.points.end(), [&](const SurveyedPoint& p) {
                return meets(ssidRssi(p, ssid), options);
            });
        analysis::ApFilter filter;
        filter.ssids = {ssid};
        report.sections.push_back(
            maps.page(QStringLiteral("Coverage: SSID %1").arg(displayText(ssid)),
                      analysis::Metric::Signal, filter, options.requirementDbm,
                      {QStringLiteral("Heard at %1 of %2 points; at %3 or better at %4.")
                           .arg(in.summary.ssids[i].pointsHeard)
                           .arg(in.points.size())
                           .arg(rssiText(options.requirementDbm))
                           .arg(meeting)}));
        done(3 + i);
    }
}

void addChannelSections(Report& report, const analysis::SurveySummary& s) {
    report.sections.push_back(
        MapPage{QStringLiteral("Channels"),
                channelChart(s.channels),
                {QStringLiteral("Access points per channel. Under each 2.4 GHz bar, the band the "
                                "channel takes: channels within %1 of each other overlap.")
                     .arg(analysis::OverlapDistance)}});
    ReportTable table{QStringLiteral("Access points per channel"),
                      {QStringLiteral("Channel"), QStringLiteral("Band"),
                       QStringLiteral("Access points"),
                       QStringLiteral("Overlapping access points")},
                      {1, 1, 1, 2},
                      {}};
    for (const analysis::ChannelRow& c : s.channels) {
        const bool band24 = analysis::isChannel24(c.channel);
        table.rows.push_back({QString::number(c.channel),
                              band24 ? QStringLiteral("2.4 GHz") : QStringLiteral("other"),
                              countOf(c.accessPoints),
                              band24 ? countOf(c.overlapping) : QStringLiteral("-")});
    }
    report.sections.push_back(std::move(table));
}

ReportTable accessPointTable(const ReportInput& in) {
    ReportTable table{QStringLiteral("Access points"),
                      {QStringLiteral("MAC"), QStringLiteral("SSID"), QStringLiteral("Channel"),
                       QStringLiteral("Strongest"), QStringLiteral("Points"),
                       QStringLiteral("Strongest at")},
                      {5, 7, 2, 3, 2, 5},
                      {}};
    table.rows.reserve(in.summary.accessPoints.size());
    for (const analysis::AccessPointRow& ap : in.summary.accessPoints)
        table.rows.push_back({macText(ap.mac), displayText(ap.ssid), QString::number(ap.channel),
                              rssiText(ap.strongestRssi), countOf(ap.pointsHeard),
                              pointText(in.points, ap.strongestPoint)});
    return table;
}

ReportTable pointTable(const ReportInput& in) {
    ReportTable table{QStringLiteral("Points"),
                      {QStringLiteral("Point"), QStringLiteral("Name"), QStringLiteral("X"),
                       QStringLiteral("Y"), QStringLiteral("APs heard"),
                       QStringLiteral("Best RSSI")},
                      {2, 7, 2, 2, 2, 3},
                      {}};
    const auto& rows = in.summary.points;
    table.rows.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        table.rows.push_back(
            {QString::number(i + 1), displayText(rows[i].name), QString::number(rows[i].x),
             QString::number(rows[i].y), countOf(rows[i].accessPointsHeard),
             rows[i].bestRssi ? rssiText(*rows[i].bestRssi) : QStringLiteral("none")});
    return table;
}

ReportTable ssidTable(const analysis::SurveySummary& s) {
    ReportTable table{QStringLiteral("SSIDs, the most heard first"),
                      {QStringLiteral("SSID"), QStringLiteral("Points that heard it")},
                      {3, 1},
                      {}};
    table.rows.reserve(s.ssids.size());
    for (const analysis::SsidRank& rank : s.ssids)
        table.rows.push_back({displayText(rank.ssid), countOf(rank.pointsHeard)});
    return table;
}

} // namespace

QString displayText(std::string_view bytes) {
    return QString::fromStdString(escapeText(bytes, ControlChars::Escaped));
}

Report buildReport(const ReportInput& in, const ReportOptions& options,
                   const std::function<void(double)>& progress) {
    Report report;
    report.title = QStringLiteral("Site survey report: %1").arg(displayText(in.siteName));
    report.cover = coverOf(in);
    const ReportMaps maps(in.site.bitmap, in.points);
    report.sections.push_back(surveyPointsPage(in, planPicture(maps.plan()), options));
    addCoveragePages(report, in, maps, options, progress);
    addChannelSections(report, in.summary);
    report.sections.push_back(accessPointTable(in));
    report.sections.push_back(pointTable(in));
    report.sections.push_back(ssidTable(in.summary));
    return report;
}

} // namespace marlow::tws
