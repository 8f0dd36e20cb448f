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

    // The radius of the maps in pixels of the full plan.
    double planRadius() const { return m_planRadius; }

private:
    SiteBitmap m_plan;
    std::vector<analysis::SurveyedPoint> m_points;
    double m_planRadius = 0;
    double m_scale = 1;
};

// The plan reduced, by nearest pixel, to at most maxSide pixels on its
// longer side, keeping its colour table: the picture planPicture makes, in
// 8 bits. A plan that fits is copied as it is.
SiteBitmap reducedPlan(const SiteBitmap& plan, int maxSide);

} // namespace marlow::tws
