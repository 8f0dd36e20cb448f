// Survey points on the map: a tap takes one (the board scans while the
// survey screen shows what it hears), MARL_DRAW commits the finished scan
// and paints its mark, and a tap-and-hold opens the point dialog of the
// nearest stored point.
#include "dialogs/Dialogs.h"
#include "link/ApplyReport.h"
#include "view/widget/CMarlowView.h"
#include "view/widget/MessageEvent.h"

#include <QCoreApplication>
#include <QStringList>

namespace marlow {

namespace {

constexpr const char* NoSiteText = "Open a site file first: the survey points belong to a site.";
constexpr const char* CoverageWarningText = "No Access Points Detected!";
constexpr const char* CoverageWarningCaption = "COVERAGE WARNING";
constexpr const char* JournalFailsText =
    "The points can no longer be kept safe on disk as they are taken. Save the survey now, "
    "and again often, until this is mended.";

} // namespace

bool CMarlowView::siteOpenOrTell() {
    if (m_session.hasSite())
        return true;
    m_context.boxes.show(window(),
                         {NoSiteText, AppTitle, BoxIcon::Information, BoxButtons::Ok, {}});
    return false;
}

void CMarlowView::takePoint(std::int32_t x, std::int32_t y) {
    if (!siteOpenOrTell())
        return;
    m_context.sounds.playSoundAsync("ping");
    m_session.takePoint(x, y);
    screenMode = ScreenMode::SurveyScreen;
}

void CMarlowView::tapAt(QPoint point) {
    if (!siteOpenOrTell())
        return;
    // A tap on a board that does not answer goes back to the map.
    if (screenMode == ScreenMode::SurveyScreen && m_boardSilent) {
        returnToMap();
        return;
    }
    // With an empty visible range no map point lies under the pen.
    if (!m_viewport.centerOnScreenPoint(clientRect(), point.x(), point.y()))
        return;
    m_navigation.syncBars();
    repaint();
    takePoint(m_viewport.centerX(), m_viewport.centerY());
    repaint();
}

void CMarlowView::inspectAt(QPoint point) {
    if (!siteOpenOrTell())
        return;
    const std::optional<MapPoint> probe =
        m_viewport.screenToMap(clientRect(), point.x(), point.y());
    if (!probe || !m_session.selectNearestPoint(probe->x, probe->y))
        return;
    if (runPointInfoDialog(window(), *m_session.site())) {
        m_session.removeSelectedPoint();
        const SiteState& site = *m_session.site();
        m_picture->removeMark(static_cast<std::int32_t>(site.selX),
                              static_cast<std::int32_t>(site.selY));
        repaint();
        warnIfJournalFails();
    }
}

void CMarlowView::warnIfJournalFails() {
    if (const std::optional<std::string> problem = m_session.takeJournalWarning())
        m_context.boxes.show(window(), {JournalFailsText, AppTitle, BoxIcon::Exclamation,
                                        BoxButtons::Ok, "(" + *problem + ")"});
}

void CMarlowView::returnToMap() {
    m_session.abandonPoint();
    m_boardSilent = false;
    screenMode = ScreenMode::MapScreen;
    repaint();
}

void CMarlowView::watchBoard() {
    const bool absent = m_session.boardAbsent();
    const bool silent = m_session.checkScan() == ScanProgress::BoardSilent;
    if (absent == m_boardAbsent && silent == m_boardSilent)
        return;
    m_boardAbsent = absent;
    m_boardSilent = silent;
    repaint();
}

QString CMarlowView::surveyNotice() const {
    QStringList lines;
    if (m_boardSilent)
        lines << QStringLiteral("The board on %1 is not answering. Tap or press Escape to return "
                                "to the map; this point is not stored.")
                     .arg(QString::fromStdString(m_session.boardName()));
    const AnalyzerLink* analyzer = m_session.link();
    if (const std::uint32_t dropped = analyzer ? analyzer->droppedReports.load() : 0)
        lines << QStringLiteral("The list is full at %1 access points: %2 reports of others were "
                                "left out.")
                     .arg(MaxScanRecords)
                     .arg(dropped);
    return lines.join(QLatin1Char('\n'));
}

QString CMarlowView::titleNotice() const {
    if (!m_boardAbsent)
        return {};
    return QStringLiteral("No board answers on %1.")
        .arg(QString::fromStdString(m_session.boardName()));
}

void CMarlowView::onDrawMessage() {
    if (const std::optional<CommittedPoint> point = m_session.commitFinishedScan()) {
        m_boardSilent = false;
        screenMode = ScreenMode::MapScreen;
        if (!point->heard) {
            m_context.sounds.playSoundSync("REDALERT");
            m_context.boxes.show(window(), {CoverageWarningText,
                                            CoverageWarningCaption,
                                            BoxIcon::Exclamation,
                                            BoxButtons::Ok,
                                            {}});
        }
        m_picture->addMark(m_session.site()->newX, m_session.site()->newY, point->bestRssi);
        QCoreApplication::postEvent(
            window(), new MessageEvent(m_context.statusMessage,
                                       static_cast<std::uintptr_t>(m_viewport.centerX()),
                                       m_viewport.centerY()));
        repaint();
        warnIfJournalFails();
        return;
    }
    repaint();
}

} // namespace marlow
