// Drawing a coverage map. Every value falls on one step of a scale: the six
// RSSI bands for the signal metrics, 0 to 4+ for the counts; each step has
// one of six colours, the first the best, whichever the metric.
#include "HeatmapImage.h"

#include "view/RssiScale.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <array>
#include <vector>

namespace marlow::tws {

namespace {

using analysis::CoverageMap;
using analysis::Metric;

constexpr std::size_t ColorCount = RssiBandCount;

// Viridis at the six steps, best (yellow) to worst (dark purple).
constexpr std::array<QRgb, ColorCount> ViridisColors = {
    qRgb(0xfd, 0xe7, 0x25), qRgb(0x7a, 0xd1, 0x51), qRgb(0x22, 0xa8, 0x84),
    qRgb(0x2a, 0x78, 0x8e), qRgb(0x41, 0x44, 0x87), qRgb(0x44, 0x01, 0x54)};

std::array<QRgb, ColorCount> colorsOf(Palette palette) {
    if (palette == Palette::Viridis)
        return ViridisColors;
    std::array<QRgb, ColorCount> colors{};
    for (std::size_t i = 0; i < ColorCount; ++i) {
        const RgbColor& c = RssiBands[i].brush;
        colors[i] = qRgb(c.red, c.green, c.blue);
    }
    return colors;
}

// The counts are shown as 0, 1, 2, 3 and 4 or more.
constexpr int CountSteps = 5;

// The colour (0 best) of each step of a count. More access points heard is
// better; fewer co-channel neighbours is better. The worst step of both
// takes the worst colour.
constexpr std::array<std::size_t, CountSteps> ApsColor = {5, 3, 2, 1, 0};
constexpr std::array<std::size_t, CountSteps> CochannelColor = {0, 1, 2, 3, 5};

struct Step {
    std::size_t color = 0;
    QString label;
};

// The RSSI bands with the range each covers, read off the scale itself.
std::vector<Step> rssiSteps() {
    constexpr int Strongest = 0;
    constexpr int Weakest = -128;
    std::vector<Step> steps;
    int high = Strongest;
    for (int rssi = Strongest; rssi >= Weakest; --rssi) {
        const bool last = rssi == Weakest;
        if (!last && rssiBandNumber(rssi - 1) == rssiBandNumber(rssi))
            continue;
        const std::size_t color = static_cast<std::size_t>(rssiBandNumber(rssi) - 1);
        const QString label = steps.empty() ? QStringLiteral("%1 and above").arg(rssi)
                              : last        ? QStringLiteral("%1 and below").arg(high)
                                            : QStringLiteral("%1 to %2").arg(rssi).arg(high);
        steps.push_back({color, label});
        high = rssi - 1;
    }
    return steps;
}

std::vector<Step> countSteps(const std::array<std::size_t, CountSteps>& colors) {
    std::vector<Step> steps;
    for (int n = 0; n < CountSteps; ++n) {
        const QString label =
            n + 1 == CountSteps ? QStringLiteral("%1 or more").arg(n) : QString::number(n);
        steps.push_back({colors[static_cast<std::size_t>(n)], label});
    }
    // Best first, as the RSSI bands are listed.
    std::sort(steps.begin(), steps.end(),
              [](const Step& a, const Step& b) { return a.color < b.color; });
    return steps;
}

bool isCount(Metric metric) {
    return metric == Metric::Aps || metric == Metric::Cochannel;
}

// The colour of every value a map holds, indexed by value + 128; -1 for
// no data.
std::array<int, 256> colorOfValues(Metric metric) {
    std::array<int, 256> colors{};
    for (int value = -128; value < 128; ++value) {
        int& color = colors[static_cast<std::size_t>(value + 128)];
        if (value == CoverageMap::NoData)
            color = -1;
        else if (!isCount(metric))
            color = rssiBandNumber(value) - 1;
        else {
            const auto step = static_cast<std::size_t>(std::clamp(value, 0, CountSteps - 1));
            color = static_cast<int>(metric == Metric::Aps ? ApsColor[step] : CochannelColor[step]);
        }
    }
    return colors;
}

QRgb blend(QRgb under, QRgb over) {
    const auto mix = [](int a, int b) {
        return (a * (255 - OverlayAlpha) + b * OverlayAlpha + 127) / 255;
    };
    return qRgb(mix(qRed(under), qRed(over)), mix(qGreen(under), qGreen(over)),
                mix(qBlue(under), qBlue(over)));
}

QString titleOf(Metric metric) {
    switch (metric) {
    case Metric::Signal:
        return QStringLiteral("Strongest signal, dBm");
    case Metric::Second:
        return QStringLiteral("Second-strongest signal, dBm");
    case Metric::Aps:
        return QStringLiteral("Access points heard");
    case Metric::Cochannel:
        return QStringLiteral("Co-channel access points");
    }
    return {};
}

// The legend in the top-left corner, sized to the plan: a swatch and range
// for each step, then the radius as a line of its length (shortened to fit
// the picture, which its label then says).
void drawLegend(QImage& picture, const CoverageMap& map,
                const std::array<QRgb, ColorCount>& colors) {
    const std::vector<Step> steps = !isCount(map.metric)        ? rssiSteps()
                                    : map.metric == Metric::Aps ? countSteps(ApsColor)
                                                                : countSteps(CochannelColor);
    const int textSize = std::clamp(std::min(picture.width(), picture.height()) / 80, 10, 96);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(textSize);
    const QFontMetrics metrics(font);
    const int line = metrics.height() * 5 / 4;
    const int margin = textSize;

    const QString title = titleOf(map.metric);
    const QString blank = QStringLiteral("plan alone: no point in reach");
    const int wholeLine = static_cast<int>(map.radius + 0.5);
    const int longest = std::max(1, picture.width() - 4 * margin);
    const int radiusLength = std::min(wholeLine, longest);
    const QString radiusLabel = radiusLength < wholeLine
                                    ? QStringLiteral("radius %1 px (line shortened)").arg(wholeLine)
                                    : QStringLiteral("radius %1 px").arg(wholeLine);
    int width = std::max({metrics.horizontalAdvance(title), metrics.horizontalAdvance(blank),
                          metrics.horizontalAdvance(radiusLabel), radiusLength});
    for (const Step& step : steps)
        width = std::max(width, line + metrics.horizontalAdvance(step.label));
    const int rows = static_cast<int>(steps.size()) + 4;
    const QRect box(margin, margin, width + 2 * margin, rows * line + margin);

    QPainter painter(&picture);
    painter.setFont(font);
    painter.setPen(QPen(Qt::black, std::max(1, textSize / 10)));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    int y = box.top() + margin / 2;
    const int left = box.left() + margin;
    const auto text = [&](int x, const QString& words) {
        painter.drawText(QRect(x, y, box.right() - x, line), Qt::AlignLeft | Qt::AlignVCenter,
                         words);
        y += line;
    };
    text(left, title);
    const int swatch = metrics.height() * 3 / 4;
    for (const Step& step : steps) {
        painter.fillRect(left, y + (line - swatch) / 2, swatch, swatch, QColor(colors[step.color]));
        text(left + line, step.label);
    }
    text(left, blank);
    text(left, radiusLabel);
    const int lineY = y + line / 2;
    painter.drawLine(left, lineY, left + radiusLength, lineY);
    painter.drawLine(left, lineY - line / 4, left, lineY + line / 4);
    painter.drawLine(left + radiusLength, lineY - line / 4, left + radiusLength, lineY + line / 4);
}

} // namespace

QImage renderHeatmap(const SiteBitmap& plan, const CoverageMap& map, Palette palette) {
    QImage picture(plan.width, plan.height, QImage::Format_RGB32);
    if (picture.isNull())
        return picture;
    const std::array<QRgb, ColorCount> colors = colorsOf(palette);
    const std::array<int, 256> colorOfValue = colorOfValues(map.metric);
    // Every pair of plan colour and map colour, blended once.
    std::array<QRgb, 256> planColors{};
    std::vector<QRgb> blended(ColorCount * 256);
    for (std::size_t i = 0; i < 256; ++i) {
        planColors[i] = 0xff000000u | plan.rgb(static_cast<std::uint8_t>(i));
        for (std::size_t c = 0; c < ColorCount; ++c)
            blended[c * 256 + i] = blend(planColors[i], colors[c]);
    }
    const std::int32_t mappedWidth = std::min(plan.width, map.width);
    for (std::int32_t y = 0; y < plan.height; ++y) {
        const std::uint8_t* in = plan.row(y);
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (std::int32_t x = 0; x < plan.width; ++x)
            out[x] = planColors[in[x]];
        if (y >= map.height)
            continue;
        const std::int8_t* values =
            map.values.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(map.width);
        for (std::int32_t x = 0; x < mappedWidth; ++x) {
            const int color = colorOfValue[static_cast<std::size_t>(values[x] + 128)];
            if (color >= 0)
                out[x] = blended[static_cast<std::size_t>(color) * 256 + in[x]];
        }
    }
    drawLegend(picture, map, colors);
    return picture;
}

} // namespace marlow::tws
