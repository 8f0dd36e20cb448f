// Coverage maps estimated on the report's reduced plan.
#include "ReportMaps.h"

#include "HeatmapImage.h"
#include "SiteImages.h"

#include <algorithm>
#include <cmath>

namespace marlow::tws {

namespace {

QString percent(double share) {
    return QString::number(share * 100.0, 'f', 1) + QStringLiteral(" %");
}

} // namespace

ReportMaps::ReportMaps(const SiteBitmap& plan, const std::vector<analysis::SurveyedPoint>& points)
    : m_plan(reducedPlan(plan, PlanPictureSide)), m_points(points),
      m_planRadius(analysis::defaultRadius(points)), m_scale(reductionFor(plan, PlanPictureSide)) {
    // A point stands in the reduced pixel that shows it.
    for (analysis::SurveyedPoint& point : m_points) {
        point.x = static_cast<std::int32_t>(std::floor(point.x * m_scale));
        point.y = static_cast<std::int32_t>(std::floor(point.y * m_scale));
    }
}

MapPage ReportMaps::page(QString title, analysis::Metric metric, const analysis::ApFilter& filter,
                         int requirementDbm, QStringList lines) const {
    if (m_plan.width <= 0 || m_plan.height <= 0)
        return {std::move(title), {}, lines << QStringLiteral("The floor plan has no pixels.")};
    analysis::CoverageOptions options;
    options.metric = metric;
    options.filter = filter;
    options.radius = std::max(1.0, m_planRadius * m_scale);
    const analysis::CoverageMap map =
        analysis::estimateCoverage(m_points, m_plan.width, m_plan.height, options);
    const std::optional<double> share = analysis::shareMeeting(map, requirementDbm);
    QStringList text;
    text << (share ? QStringLiteral("%1 of the surveyed area (within %2 pixels of a point) meets "
                                    "%3 dBm.")
                         .arg(percent(*share))
                         .arg(std::lround(m_planRadius))
                         .arg(requirementDbm)
                   : QStringLiteral("No part of the plan lies within %1 pixels of a point.")
                         .arg(std::lround(m_planRadius)));
    text << lines;
    return {std::move(title), renderHeatmap(m_plan, map, Palette::Rssi), std::move(text)};
}

} // namespace marlow::tws
