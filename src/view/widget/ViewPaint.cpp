// The view's paint: the screen of the current mode over the whole client
// area. The survey screen's rows are copied out of the scan list under its
// lock, so the reader thread is held up only for the copy, not the drawing.
#include "view/widget/CMarlowView.h"

#include <QPainter>
#include <vector>

namespace marlow {

namespace {

constexpr std::int32_t RadarFrameLimit = 7;
constexpr std::int32_t RadarPictureCount = 4;

std::vector<SurveyRow> surveyRows(const RecordList& scan) {
    std::vector<SurveyRow> rows;
    rows.reserve(scan.size());
    for (const SurveyRecord& r : scan) {
        rows.push_back({r.channel, std::string(textOf(r.macText)), std::string(textOf(r.ssid)),
                        static_cast<std::int16_t>(averageRssi(r))});
    }
    return rows;
}

} // namespace

void CMarlowView::paintEvent(QPaintEvent*) {
    const QRect client = viewport()->rect();
    if (client.isEmpty())
        return;
    QPainter painter(viewport());
    switch (screenMode) {
    case ScreenMode::MapScreen:
        paintMapScreen(painter, client, m_viewport, m_picture.get(), m_art.crosshair);
        break;
    case ScreenMode::SurveyScreen:
        paintSurvey(painter, client);
        break;
    case ScreenMode::TitleScreen:
        paintTitle(painter, client);
        break;
    }
}

void CMarlowView::paintSurvey(QPainter& painter, const QRect& client) {
    radarFrame = radarFrame + 1;
    if (radarFrame > RadarFrameLimit)
        radarFrame = 0;
    const QImage& radar = m_art.radar[radarFrame % RadarPictureCount];
    const std::vector<SurveyRow> rows =
        m_context.scanList.withLock([](const RecordList& scan) { return surveyRows(scan); });
    const int channel = m_link ? m_link->link().scanChannel.load() : 0;
    paintSurveyScreen(painter, client, radar, channel, rows);
}

void CMarlowView::paintTitle(QPainter& painter, const QRect& client) {
    char firmware[FramedLink::TextSize] = {};
    char serial[FramedLink::TextSize] = {};
    if (m_link) {
        m_link->link().copyFirmwareText(firmware);
        m_link->link().copySerialText(serial);
    }
    paintTitleScreen(painter, client, m_art.splash, firmware, serial);
}

} // namespace marlow
