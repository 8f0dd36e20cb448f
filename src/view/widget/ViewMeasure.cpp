// Survey points on the map: a tap takes one (the board scans while the
// survey screen shows what it hears), MARL_DRAW commits the finished scan
// and paints its mark, and a tap-and-hold opens the point dialog of the
// nearest stored point.
#include "dialogs/Dialogs.h"
#include "measure/Measurement.h"
#include "protocol/Protocol.h"
#include "view/widget/CMarlowView.h"
#include "view/widget/MessageEvent.h"

#include <QCoreApplication>
#include <QScrollBar>

namespace marlow {

namespace {

constexpr const char* NoSiteText = "Open a site file first: the survey points belong to a site.";
constexpr const char* CoverageWarningText = "No Access Points Detected!";
constexpr const char* CoverageWarningCaption = "COVERAGE WARNING";

} // namespace

bool CMarlowView::siteOpenOrTell() {
    if (m_site)
        return true;
    m_context.boxes.show(window(),
                         {NoSiteText, AppTitle, BoxIcon::Information, BoxButtons::Ok, {}});
    return false;
}

void CMarlowView::takePoint(std::int32_t x, std::int32_t y) {
    if (!siteOpenOrTell())
        return;
    m_context.sounds.playSoundAsync("ping");
    // The scan list is emptied and the position noted before the board is
    // asked, so that nothing it hears for this point can be lost to the
    // emptying.
    startMeasurement(*m_site, m_context.scanList, x, y, TakenPointName);
    if (m_pointListener)
        m_pointListener(x, y);
    if (m_link)
        m_link->link().sendCommand(msg::StartScan);
    screenMode = ScreenMode::SurveyScreen;
}

void CMarlowView::tapAt(QPoint point) {
    if (!siteOpenOrTell())
        return;
    // With an empty visible range no map point lies under the pen.
    if (!m_viewport.centerOnScreenPoint(clientRect(), point.x(), point.y()))
        return;
    syncScrollBars();
    repaint();
    takePoint(m_viewport.centerX(), m_viewport.centerY());
    repaint();
}

void CMarlowView::inspectAt(QPoint point) {
    if (!siteOpenOrTell())
        return;
    const std::optional<MapPoint> probe =
        m_viewport.screenToMap(clientRect(), point.x(), point.y());
    if (!probe || !selectNearestPoint(*m_site, m_context.surveyStore, probe->x, probe->y))
        return;
    if (runPointInfoDialog(window(), *m_site, m_context.surveyStore) == PointDeleted) {
        m_picture->eraseMark(m_viewport.eraseRect());
        repaint();
    }
}

void CMarlowView::onDrawMessage() {
    AnalyzerLink* analyzer = link();
    if (analyzer && m_site && analyzer->scanRequested && analyzer->scanDone) {
        analyzer->clearScanFlags();
        screenMode = ScreenMode::MapScreen;
        if (!commitScan(*m_site, m_context.scanList, m_context.surveyStore)) {
            m_context.sounds.playSoundSync("REDALERT");
            m_context.boxes.show(window(), {CoverageWarningText,
                                            CoverageWarningCaption,
                                            BoxIcon::Exclamation,
                                            BoxButtons::Ok,
                                            {}});
        }
        m_picture->drawMarkIn(m_viewport.markRect(), m_site->lastBestRssi);
        QCoreApplication::postEvent(
            window(), new MessageEvent(m_context.statusMessage,
                                       static_cast<std::uintptr_t>(m_viewport.centerX()),
                                       m_viewport.centerY()));
    }
    repaint();
}

} // namespace marlow
