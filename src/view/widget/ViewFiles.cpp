// The view's commands: Open a Site, the two ways of saving the survey into
// the open site file, and the zooms. Nothing of the open site changes until
// a new file has been read whole, so a cancelled or failed Open leaves the
// site, its points, its picture and its path as they were.
#include "dialogs/Dialogs.h"
#include "dialogs/SignOffDialog.h"
#include "store/SurveyPoints.h"
#include "view/widget/CMarlowView.h"
#include "view/widget/MessageEvent.h"
#include "view/widget/WaitCursor.h"

#include <QCoreApplication>
#include <QDateTime>
#include <algorithm>
#include <cstddef>
#include <new>

namespace marlow {

namespace {

constexpr const char* KeepPointsText = "Do you wish to keep existing data points?";
constexpr const char* KeepPointsCaption = "Tessel";
constexpr const char* UnsavedWorkText =
    "Points taken or deleted since the last save are not in the site file yet. Save them now?";
constexpr const char* DamagedJournalText =
    "The record of the unsaved session ends in damage, perhaps from a power loss: the survey "
    "points recorded before it were restored, the rest was lost.";

// "N survey points from an unsaved session (last at TIME) were found.
// Restore them?", TIME the last entry's local "YYYY-MM-DD HH:MM".
std::string restoreQuestion(const JournalContents& work) {
    const auto points =
        std::count_if(work.entries.begin(), work.entries.end(), [](const JournalEntry& entry) {
            return std::holds_alternative<JournalPoint>(entry);
        });
    const QString time = QDateTime::fromSecsSinceEpoch(entryTime(work.entries.back()))
                             .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    return std::to_string(points) + " survey points from an unsaved session (last at " +
           time.toStdString() + ") were found. Restore them?";
}

} // namespace

void CMarlowView::openSite() {
    if (!settleUnsavedWork())
        return;
    if (const std::optional<std::string> path = runOpenSiteDialog(window())) {
        openSiteFile(*path);
        return;
    }
    screenMode = ScreenMode::MapScreen;
    repaint();
}

bool CMarlowView::openSiteFile(const std::string& path, KeepPointsQuestion question) {
    SiteResult<PendingSite> pending = [&] {
        const WaitCursor busy;
        return m_session.readSite(path);
    }();
    if (!pending) {
        showSiteError(pending.error());
        return false;
    }
    const bool asked = m_session.asksToKeepPoints(*pending, question);
    const bool keep =
        asked &&
        m_context.boxes.show(
            window(), {KeepPointsText, KeepPointsCaption, BoxIcon::None, BoxButtons::YesNo, {}}) ==
            BoxAnswer::Yes;
    const bool restore =
        pending->unsaved &&
        m_context.boxes.show(
            window(),
            {restoreQuestion(*pending->unsaved), AppTitle, BoxIcon::None, BoxButtons::YesNo, {}}) ==
            BoxAnswer::Yes;
    // A file cut short is told of after the open, unless the surveyor chose
    // to drop its stored points anyway (or did in the session restored);
    // without the question it loaded none.
    const bool keptStored = restore ? pending->unsaved->header.keepPoints : keep;
    const bool tellEndedEarly = pending->site.points.endsEarly && (keptStored || !asked);
    const std::size_t pointsLoaded = pending->site.points.pointCount;

    const WaitCursor busy;
    std::unique_ptr<SitePicture> picture;
    try {
        // The picture takes the plan's pixels over: a large plan is never
        // held twice.
        picture = std::make_unique<SitePicture>(std::move(pending->site.bitmap));
    } catch (const std::bad_alloc&) {
        showSiteError(outOfMemoryError());
        return false;
    }
    m_picture = std::move(picture);
    const Rect bounds{0, 0, m_picture->width(), m_picture->height()};
    m_viewport.setBounds(bounds);
    m_viewport.showAll(bounds);
    m_navigation.setRange(bounds);
    m_navigation.syncBars();
    const MarkSink drawMark = [this](std::int32_t x, std::int32_t y, int rssi) {
        m_picture->addMark(x, y, rssi);
    };
    bool damaged = false;
    std::int32_t lastX = 0;
    std::int32_t lastY = 0;
    if (restore) {
        // Replayed deletions remove their points' marks as a live one does.
        const RestoredWork restored = m_session.restoreSite(
            std::move(pending).value(), drawMark,
            [this](std::int32_t x, std::int32_t y) { m_picture->removeMark(x, y); });
        damaged = restored.damaged;
        // The panes count the restored points as they counted them live.
        if (restored.points > 0) {
            lastX = restored.lastX;
            lastY = restored.lastY;
        }
    } else {
        m_session.adoptSite(std::move(pending).value(), keep, drawMark);
    }
    // The panes start over with the site: its counts, and the last point's
    // position or none. Sent, not posted, so that no point taken before the
    // event came round is shown with the open's position.
    MessageEvent reset(m_context.statusMessage, static_cast<std::uintptr_t>(lastX), lastY);
    QCoreApplication::sendEvent(window(), &reset);
    screenMode = ScreenMode::MapScreen;
    repaint();
    if (tellEndedEarly)
        m_context.boxes.show(
            window(),
            {endsEarlyMessage(pointsLoaded), AppTitle, BoxIcon::Exclamation, BoxButtons::Ok, {}});
    if (damaged)
        m_context.boxes.show(
            window(), {DamagedJournalText, AppTitle, BoxIcon::Information, BoxButtons::Ok, {}});
    return true;
}

void CMarlowView::showSiteError(const SiteError& error) {
    m_context.boxes.show(
        window(), {error.message, error.caption, BoxIcon::Error, BoxButtons::Ok, error.detail});
}

bool CMarlowView::saveSiteData() {
    // However the dialog ends, the signature as it stands is saved.
    CSignOffDlg dialog(window());
    dialog.exec();
    const SiteResult<> saved = [&] {
        const WaitCursor busy;
        return m_session.saveSiteData(
            dialog, static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch()));
    }();
    if (!saved)
        showSiteError(saved.error());
    else if (m_context.siteSaved)
        m_context.siteSaved(m_session.sitePath(), surveyPointCount(m_context.surveyStore));
    return saved.ok();
}

bool CMarlowView::fullRewrite() {
    const SiteResult<> rewritten = [&] {
        const WaitCursor busy;
        return m_session.fullRewrite();
    }();
    if (!rewritten)
        showSiteError(rewritten.error());
    else if (m_context.siteSaved)
        m_context.siteSaved(m_session.sitePath(), surveyPointCount(m_context.surveyStore));
    return rewritten.ok();
}

bool CMarlowView::settleUnsavedWork() {
    if (!m_session.hasUnsavedWork())
        return true;
    const MessageBoxRequest question{
        UnsavedWorkText, AppTitle, BoxIcon::Exclamation, BoxButtons::SaveDiscardCancel, {}};
    switch (m_context.boxes.show(window(), question)) {
    case BoxAnswer::Save:
        return saveSiteData();
    case BoxAnswer::Discard:
        m_session.discardUnsavedWork();
        return true;
    default:
        return false;
    }
}

void CMarlowView::zoom(bool in) {
    in ? m_viewport.zoomIn() : m_viewport.zoomOut();
    repaint();
}

} // namespace marlow
