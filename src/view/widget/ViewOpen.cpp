// Open a Site: the file dialog, the reading of the chosen file, the
// question whether to keep its stored points, and the hand-over of the new
// site to the view. Nothing of the open site changes until the new file has
// been read whole, so a cancelled or failed Open leaves the site, its
// points, its picture and its path as they were, and a later save cannot
// write one site's survey into another file.
#include "sitefile/SiteReader.h"
#include "view/widget/CMarlowView.h"
#include "view/widget/WaitCursor.h"

#include <QFile>
#include <QFileDialog>
#include <QScrollBar>

namespace marlow {

namespace {

constexpr const char* KeepPointsText = "Do you wish to keep existing data points?";
constexpr const char* KeepPointsCaption = "Tessel";

} // namespace

void CMarlowView::onOpenSite() {
    QFileDialog dialog(window(), QStringLiteral("Open"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Site Files (*.tws)"), QStringLiteral("All Files (*)")});
    dialog.setDefaultSuffix(QStringLiteral("tws"));
    dialog.selectFile(QStringLiteral("SITE1"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        openSiteFile(QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString());
        return;
    }
    screenMode = ScreenMode::MapScreen;
    repaint();
}

bool CMarlowView::openSiteFile(const std::string& path, KeepPointsQuestion question) {
    SiteResult<OpenedSite> opened = [&path] {
        const WaitCursor busy;
        return openSite(path);
    }();
    if (!opened) {
        showSiteError(opened.error());
        return false;
    }

    // A scan begun on the previous site must not be committed into this
    // one, neither while the question below is open nor after it.
    if (AnalyzerLink* analyzer = link())
        analyzer->clearScanFlags();
    bool keep = false;
    if (question == KeepPointsQuestion::Always || holdsPoints(*opened))
        keep = m_context.boxes.show(
                   window(),
                   {KeepPointsText, KeepPointsCaption, BoxIcon::None, BoxButtons::YesNo, {}}) ==
               BoxAnswer::Yes;

    const WaitCursor busy;
    m_picture = std::make_unique<SitePicture>(opened->bitmap);
    const Rect bounds{0, 0, m_picture->width(), m_picture->height()};
    m_viewport.setBounds(bounds);
    m_viewport.showAll(bounds);
    horizontalScrollBar()->setRange(0, bounds.right);
    verticalScrollBar()->setRange(0, bounds.bottom);
    syncScrollBars();

    m_site = std::make_unique<SiteState>();
    m_siteFile = opened->file;
    resetSurvey(*m_site, m_context.surveyStore);
    sitePath = path;
    if (keep)
        loadPoints(
            *opened, m_context.surveyStore,
            [this](std::int32_t x, std::int32_t y, int rssi) { m_picture->drawMark(x, y, rssi); });
    screenMode = ScreenMode::MapScreen;
    repaint();
    return true;
}

} // namespace marlow
