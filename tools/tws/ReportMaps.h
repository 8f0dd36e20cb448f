// The coverage maps of a survey report. A printed page shows a plan at
// about PlanPictureSide pixels, so the maps are estimated on the plan
// reduced to that size, with the points and the radius scaled alike: a
// report with ten maps of a large site costs little more than one map of
// it at full size.
#pragma once

#include "ReportModel.h"
#include "analysis/Coverage.h"
#include "sitefile/SiteBitmap.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace marlow::tws {

class ReportMaps {
public:
    // The radius is the one tws heatmap takes by default for the whole
    // site, scaled with the plan.
    ReportMaps(const SiteBitmap& plan, const std::vector<analysis::SurveyedPoint>& points);

    // A page with the map of the metric over the access points the filter
    // accepts, then the share of the mapped area that meets the
    // requirement, then the lines.
    MapPage page(QString title, analysis::Metric metric, const analysis::ApFilter& filter,
                 int requirementDbm, QStringList lines) const;

    // The plan the maps are drawn on: the site's, reduced for a page.
    const SiteBitmap& plan() const { return m_plan; }

private:
    SiteBitmap m_plan;
    std::vector<analysis::SurveyedPoint> m_points;
    double m_planRadius = 0;
    double m_scale = 1;
};

} // namespace marlow::tws
