// The view's commands: zoom, the two ways of saving the survey into the
// open site file, and the dialogs of the command bar.
#include "dialogs/Dialogs.h"
#include "dialogs/SignOffDialog.h"
#include "sitefile/SiteWriter.h"
#include "view/widget/CMarlowView.h"
#include "view/widget/CommandIds.h"
#include "view/widget/WaitCursor.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace marlow {

namespace {

constexpr const char* NoSiteDetail = "No site file is open.";
// The full rewrite copies the floor plan from this file in the system's
// temporary folder.
constexpr const char* RewriteBitmapName = "tmpsite.bmp";

} // namespace

void CMarlowView::dispatchCommand(int id) {
    switch (id) {
    case command::OpenSite:
        onOpenSite();
        break;
    case command::SaveSiteData:
        onSaveSiteData();
        break;
    case command::FullRewrite:
        onFullRewrite();
        break;
    case command::ColorRanges:
        runRssiLegendDialog(window());
        break;
    case command::ZoomIn:
        m_viewport.zoomIn();
        repaint();
        break;
    case command::ZoomOut:
        m_viewport.zoomOut();
        repaint();
        break;
    case command::Help:
        runHelpDialog(window());
        break;
    case command::About:
        runAboutDialog(window());
        break;
    default:
        break;
    }
}

void CMarlowView::showSiteError(const SiteError& error) {
    m_context.boxes.show(
        window(), {error.message, error.caption, BoxIcon::Error, BoxButtons::Ok, error.detail});
}

void CMarlowView::onSaveSiteData() {
    // However the dialog ends, the signature as it stands is saved.
    CSignOffDlg dialog(window());
    dialog.exec();
    if (!m_site) {
        showSiteError(cannotUpdateError(NoSiteDetail));
        return;
    }
    const SiteResult<> saved = [&] {
        const WaitCursor busy;
        const auto now = static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch());
        return saveSiteData(sitePath, m_siteFile, m_context.surveyStore, dialog, now);
    }();
    if (!saved)
        showSiteError(saved.error());
}

void CMarlowView::onFullRewrite() {
    if (!m_site) {
        showSiteError(cannotUpdateError(NoSiteDetail));
        return;
    }
    const std::string bitmapPath =
        QFile::encodeName(QDir(QDir::tempPath()).filePath(RewriteBitmapName)).toStdString();
    const SiteResult<> rewritten = [&] {
        const WaitCursor busy;
        return rewriteSite(sitePath, m_siteFile, m_context.surveyStore, bitmapPath);
    }();
    if (!rewritten)
        showSiteError(rewritten.error());
}

} // namespace marlow
