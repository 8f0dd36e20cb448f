// Drawing the channel chart.
#include "ChannelChart.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace marlow::tws {

namespace {

constexpr int ChartWidth = 1400;
constexpr int ChartHeight = 700;
constexpr int Margin = 60;
constexpr int LabelHeight = 40;
// A 2.4 GHz channel is about 22 MHz wide and channels are 5 MHz apart: its
// band reaches 2.2 channels either side of its centre.
constexpr double HalfBandInChannels = 2.2;
// Labels are left off bars too narrow for them (a file with very many
// channels); the channel table still lists every one.
constexpr double MinLabelledSlot = 24;
constexpr QRgb BandColour = 0x402E7D32; // the bar colour, mostly transparent

struct Slot {
    QString label;
    std::size_t count = 0;
    bool band24 = false;
};

// Empty room either side of the 2.4 GHz channels for the bands of 1 and 14.
constexpr int BandRoom = 2;

// The 14 2.4 GHz channels with room either side, then every other channel
// that has access points.
std::vector<Slot> barsOf(const std::vector<analysis::ChannelRow>& channels) {
    std::vector<Slot> bars(BandRoom);
    for (int c = analysis::FirstChannel24; c <= analysis::LastChannel24; ++c)
        bars.push_back({QString::number(c), 0, true});
    bars.resize(bars.size() + BandRoom);
    for (const analysis::ChannelRow& row : channels) {
        if (analysis::isChannel24(row.channel))
            bars[static_cast<std::size_t>(BandRoom + row.channel - analysis::FirstChannel24)]
                .count = row.accessPoints;
        else
            bars.push_back({QString::number(row.channel), row.accessPoints, false});
    }
    return bars;
}

} // namespace

QImage channelChart(const std::vector<analysis::ChannelRow>& channels) {
    const std::vector<Slot> bars = barsOf(channels);
    std::size_t most = 1;
    for (const Slot& slot : bars)
        most = std::max(most, slot.count);

    QImage chart(ChartWidth, ChartHeight, QImage::Format_RGB32);
    chart.fill(Qt::white);
    QPainter painter(&chart);
    painter.setRenderHint(QPainter::Antialiasing);
    const double left = Margin;
    const double baseline = ChartHeight - Margin - LabelHeight;
    const double top = Margin;
    const double slotWidth = (ChartWidth - 2.0 * Margin) / static_cast<double>(bars.size());
    const auto heightOf = [&](std::size_t count) {
        return (baseline - top) * static_cast<double>(count) / static_cast<double>(most);
    };
    const auto centreOf = [&](std::size_t slot) {
        return left + (static_cast<double>(slot) + 0.5) * slotWidth;
    };

    // Each used 2.4 GHz channel's band as a hump as high as its bar.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgba(BandColour));
    for (std::size_t i = 0; i < bars.size(); ++i) {
        if (!bars[i].band24 || bars[i].count == 0)
            continue;
        const double half = HalfBandInChannels * slotWidth;
        const double h = heightOf(bars[i].count);
        QPainterPath hump;
        hump.moveTo(centreOf(i) - half, baseline);
        hump.cubicTo(centreOf(i) - half * 0.6, baseline - h, centreOf(i) + half * 0.6, baseline - h,
                     centreOf(i) + half, baseline);
        painter.drawPath(hump);
    }

    QFont font = painter.font();
    font.setPixelSize(LabelHeight / 2);
    painter.setFont(font);
    const double barWidth = slotWidth * 0.5;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const double h = heightOf(bars[i].count);
        painter.fillRect(QRectF(centreOf(i) - barWidth / 2, baseline - h, barWidth, h),
                         QColor::fromRgb(BarColour));
        if (slotWidth < MinLabelledSlot)
            continue;
        painter.setPen(Qt::black);
        const QRectF label(centreOf(i) - slotWidth / 2, baseline + 4, slotWidth, LabelHeight);
        painter.drawText(label, Qt::AlignHCenter | Qt::AlignTop, bars[i].label);
        if (bars[i].count > 0)
            painter.drawText(QRectF(centreOf(i) - slotWidth / 2, baseline - h - LabelHeight,
                                    slotWidth, LabelHeight),
                             Qt::AlignHCenter | Qt::AlignBottom, QString::number(bars[i].count));
    }
    painter.setPen(Qt::black);
    painter.drawLine(QPointF(left, baseline), QPointF(ChartWidth - Margin, baseline));
    // The 2.4 GHz part and the rest are told apart by a rule between them.
    constexpr int Band24Slots = analysis::LastChannel24 + 2 * BandRoom;
    if (bars.size() > Band24Slots) {
        const double rule = left + Band24Slots * slotWidth;
        painter.drawLine(QPointF(rule, top), QPointF(rule, baseline + LabelHeight));
    }
    return chart;
}

} // namespace marlow::tws
