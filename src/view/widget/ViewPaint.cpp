// The view's paint: the screen of the current mode over the whole client
// area. The survey screen's rows are copied out of the scan list under its
// lock, so the reader thread is held up only for the copy, not the drawing.
#include "view/widget/CMarlowView.h"

#include <QPainter>

namespace marlow {

namespace {

constexpr std::int32_t RadarFrameLimit = 7;
constexpr std::int32_t RadarPictureCount = 4;

} // namespace

void CMarlowView::paintEvent(QPaintEvent*) {
    const QRect client = viewport()->rect();
    if (client.isEmpty())
        return;
    QPainter painter(viewport());
    const AnalyzerLink* analyzer = m_session.link();
    if (screenMode == ScreenMode::MapScreen) {
        paintMapScreen(painter, client, m_viewport, m_picture.get(), m_art.crosshair, m_mapFrame);
    } else if (screenMode == ScreenMode::SurveyScreen) {
        radarFrame = radarFrame >= RadarFrameLimit ? 0 : radarFrame + 1;
        paintSurveyScreen(
            painter, client, m_art.radar[radarFrame % RadarPictureCount],
            analyzer ? analyzer->scanChannel.load() : 0,
            m_context.scanList.withLock([](const RecordList& scan) { return surveyRows(scan); }),
            surveyNotice());
    } else {
        char firmware[FramedLink::TextSize] = {};
        char serial[FramedLink::TextSize] = {};
        if (analyzer) {
            analyzer->copyFirmwareText(firmware);
            analyzer->copySerialText(serial);
        }
        paintTitleScreen(painter, client, m_art.splash, firmware, serial, titleNotice());
    }
}

} // namespace marlow
