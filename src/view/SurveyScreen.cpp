// The survey screen shown while a scan runs: the radar picture, the grid of
// channels 1 to 14 with the scanned one highlighted, and the access points
// heard so far, as many as fit and a count of the rest.
#include "view/ScreenPainters.h"
#include "view/ScreenText.h"

#include <algorithm>
#include <cstdio>

namespace marlow {

namespace {

constexpr int RadarSize = 50;
constexpr int ChannelCount = 14;
constexpr int ChannelsPerRow = 7;
constexpr int CellPitch = 25;
constexpr int FirstRowY = 70;
constexpr int RowPitch = 20;
constexpr int RowHeight = 15;
// A row is drawn only while its top stays within this distance of the
// bottom (the first row always is).
constexpr int BottomReserve = 20;
// Room for four lines of notice.
constexpr int NoticeHeight = 64;

struct Column {
    std::int32_t left;
    std::int32_t right;
};
constexpr Column ChannelColumn{0, 15};
constexpr Column MacColumn{20, 100};
constexpr Column SsidColumn{110, 180};
constexpr Column RssiColumn{190, 220};

// The five frames that draw the channel grid: seven columns in two rows.
constexpr Rect GridFrames[] = {
    {50, 0, 225, 24}, {50, 25, 225, 49}, {75, 0, 200, 49}, {100, 0, 175, 49}, {125, 0, 150, 49}};

Rect cell(Column column, std::int32_t y) {
    return {column.left, y, column.right, y + RowHeight};
}

// A 1-pixel frame just inside the rectangle.
void frameRect(QPainter& painter, const Rect& r, const QColor& color) {
    painter.fillRect(r.left, r.top, r.width(), 1, color);
    painter.fillRect(r.left, r.bottom - 1, r.width(), 1, color);
    painter.fillRect(r.left, r.top, 1, r.height(), color);
    painter.fillRect(r.right - 1, r.top, 1, r.height(), color);
}

void paintHeads(QPainter& painter) {
    constexpr std::int32_t HeadTop = 50;
    using namespace toolColor;
    drawScreenText(painter, cell(ChannelColumn, HeadTop), QStringLiteral("CH"), White, Black);
    drawScreenText(painter, cell(MacColumn, HeadTop), QStringLiteral("MAC Addr"), White, Black);
    drawScreenText(painter, cell(SsidColumn, HeadTop), QStringLiteral("SSID"), White, Black);
    drawScreenText(painter, cell(RssiColumn, HeadTop), QStringLiteral("RSSI"), White, Black);
}

void paintChannelCells(QPainter& painter, int scanChannel) {
    using namespace toolColor;
    for (const Rect& frame : GridFrames)
        frameRect(painter, frame, toQColor(DarkGreen));
    for (int channel = 1; channel <= ChannelCount; ++channel) {
        const std::int32_t x = CellPitch * ((channel - 1) % ChannelsPerRow);
        const std::int32_t y = CellPitch * (channel / (ChannelsPerRow + 1));
        const bool scanned = channel == scanChannel;
        painter.fillRect(toQRect({51 + x, 2 + y, 74 + x, 23 + y}),
                         toQColor(scanned ? DarkGreen : Black));
        char label[8];
        std::snprintf(label, sizeof label, "%02d", channel);
        drawScreenText(painter, {51 + x, 5 + y, 74 + x, 20 + y}, QString::fromLatin1(label),
                       scanned ? White : Green, scanned ? Green : Black);
    }
}

void paintRow(QPainter& painter, std::int32_t y, const SurveyRow& row) {
    using namespace toolColor;
    drawScreenText(painter, cell(ChannelColumn, y), QString::number(row.channel), Green, Black);
    drawScreenText(painter, cell(MacColumn, y), QString::fromLatin1(row.macText), Green, Black);
    drawScreenText(painter, cell(SsidColumn, y), QString::fromLatin1(row.ssid), Green, Black);
    drawScreenText(painter, cell(RssiColumn, y), QString::number(row.averageRssi), Green, Black);
}

} // namespace

std::vector<SurveyRow> surveyRows(const RecordList& scan) {
    std::vector<SurveyRow> rows;
    rows.reserve(scan.size());
    for (const SurveyRecord& r : scan)
        rows.push_back({r.channel, std::string(textOf(r.macText)), std::string(textOf(r.ssid)),
                        static_cast<std::int16_t>(averageRssi(r))});
    return rows;
}

void paintSurveyScreen(QPainter& painter, const QRect& client, const QImage& radar, int scanChannel,
                       const std::vector<SurveyRow>& rows, const QString& notice) {
    if (client.isEmpty())
        return;
    painter.save();
    painter.fillRect(client, Qt::black);
    const int height = scaleToLayoutWidth(painter, client);
    painter.setFont(screenFont());
    paintHeads(painter);
    if (!radar.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRect(0, 0, RadarSize, RadarSize), radar);
    }
    paintChannelCells(painter, scanChannel);

    // The rows that fit, the first always; when some do not, the last
    // place counts them instead, so that no access point heard goes unseen.
    const std::size_t places =
        1 + static_cast<std::size_t>(std::max(0, (height - BottomReserve - FirstRowY) / RowPitch));
    const std::size_t shown = rows.size() <= places ? rows.size() : places - 1;
    std::int32_t y = FirstRowY;
    for (std::size_t i = 0; i < shown; ++i, y += RowPitch)
        paintRow(painter, y, rows[i]);
    if (shown < rows.size()) {
        const std::size_t rest = rows.size() - shown;
        drawScreenText(painter, {ChannelColumn.left, y, SsidColumn.right, y + RowHeight},
                       shown == 0 ? QStringLiteral("%1 access points heard").arg(rest)
                                  : QStringLiteral("+%1 more access points").arg(rest),
                       toolColor::Green, toolColor::Black);
    }
    if (!notice.isEmpty())
        drawScreenNotice(
            painter, {0, std::max(FirstRowY, height - NoticeHeight), LayoutWidth, height}, notice);
    painter.restore();
}

} // namespace marlow
