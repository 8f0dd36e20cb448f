#include "PlanImage.h"

#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>
#include <vector>

namespace marlow::tws {

namespace {

// The colours survey marks are painted in: white, black, red, orange,
// yellow, green, blue and dark green. A mark takes the nearest entry of the
// palette, so each needs an exact one.
constexpr std::array<QRgb, 8> MarkColors = {qRgb(255, 255, 255), qRgb(0, 0, 0),     qRgb(255, 0, 0),
                                            qRgb(255, 128, 0),   qRgb(255, 255, 0), qRgb(0, 255, 0),
                                            qRgb(0, 0, 255),     qRgb(0, 128, 0)};

constexpr std::size_t PaletteSize = 256;

// Median cut works on colour cells of 5 bits a channel.
constexpr int CellBits = 5;
constexpr int CellCount = 1 << (3 * CellBits);

struct Indexed {
    std::vector<QRgb> palette;
    std::vector<std::uint8_t> indices; // one a pixel, rows from the top
};

// The picture as opaque colours, transparent parts laid on white paper.
std::vector<QRgb> opaquePixels(const QImage& picture) {
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    const auto onWhite = [](int channel, int alpha) {
        return (channel * alpha + 255 * (255 - alpha) + 127) / 255;
    };
    std::vector<QRgb> pixels;
    pixels.reserve(static_cast<std::size_t>(argb.width()) *
                   static_cast<std::size_t>(argb.height()));
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = line[x];
            const int a = qAlpha(p);
            pixels.push_back(
                qRgb(onWhite(qRed(p), a), onWhite(qGreen(p), a), onWhite(qBlue(p), a)));
        }
    }
    return pixels;
}

// Every colour kept as it is; nothing when the colours do not fit.
std::optional<Indexed> indexExactly(const std::vector<QRgb>& pixels) {
    Indexed out;
    out.palette.assign(MarkColors.begin(), MarkColors.end());
    std::unordered_map<QRgb, std::uint8_t> indexOf;
    for (std::size_t i = 0; i < out.palette.size(); ++i)
        indexOf.emplace(out.palette[i], static_cast<std::uint8_t>(i));
    out.indices.reserve(pixels.size());
    for (const QRgb p : pixels) {
        const auto [at, added] =
            indexOf.try_emplace(p, static_cast<std::uint8_t>(out.palette.size()));
        if (added) {
            if (out.palette.size() == PaletteSize)
                return std::nullopt;
            out.palette.push_back(p);
        }
        out.indices.push_back(at->second);
    }
    return out;
}

int cellOf(QRgb p) {
    constexpr int drop = 8 - CellBits;
    return ((qRed(p) >> drop) << (2 * CellBits)) | ((qGreen(p) >> drop) << CellBits) |
           (qBlue(p) >> drop);
}

// Coordinate of a cell along axis 0 (red), 1 (green) or 2 (blue).
int axisValue(int cell, int axis) {
    return (cell >> ((2 - axis) * CellBits)) & ((1 << CellBits) - 1);
}

struct Cell {
    std::uint64_t count = 0;
    std::array<std::uint64_t, 3> sum = {};
};

// A run of the used cells, with the axis along which it is widest.
struct Box {
    std::size_t begin;
    std::size_t end;
    int axis = 0;
    int range = 0;
};

Box makeBox(const std::vector<int>& cells, std::size_t begin, std::size_t end) {
    Box box{begin, end};
    for (int axis = 0; axis < 3; ++axis) {
        const auto [low, high] = std::minmax_element(
            cells.begin() + static_cast<std::ptrdiff_t>(begin),
            cells.begin() + static_cast<std::ptrdiff_t>(end),
            [axis](int a, int b) { return axisValue(a, axis) < axisValue(b, axis); });
        const int range = axisValue(*high, axis) - axisValue(*low, axis);
        if (range > box.range) {
            box.axis = axis;
            box.range = range;
        }
    }
    return box;
}

QRgb meanOf(const Cell& cell) {
    const auto mean = [&](int axis) {
        return static_cast<int>((cell.sum[axis] + cell.count / 2) / cell.count);
    };
    return qRgb(mean(0), mean(1), mean(2));
}

QRgb meanOf(const std::vector<Cell>& histogram, const std::vector<int>& cells, const Box& box) {
    Cell total;
    for (std::size_t i = box.begin; i < box.end; ++i) {
        const Cell& c = histogram[static_cast<std::size_t>(cells[i])];
        total.count += c.count;
        for (std::size_t axis = 0; axis < 3; ++axis)
            total.sum[axis] += c.sum[axis];
    }
    return meanOf(total);
}

// Splits the widest box at the pixel-weighted median of its widest axis,
// between two different cell coordinates, until the colours run out.
std::vector<QRgb> medianCut(const std::vector<Cell>& histogram, std::vector<int>& cells,
                            std::size_t colors) {
    const auto countOf = [&](int cell) { return histogram[static_cast<std::size_t>(cell)].count; };
    std::vector<Box> boxes{makeBox(cells, 0, cells.size())};
    while (boxes.size() < colors) {
        const auto widest =
            std::max_element(boxes.begin(), boxes.end(),
                             [](const Box& a, const Box& b) { return a.range < b.range; });
        if (widest->range == 0)
            break;
        const Box box = *widest;
        const auto key = [axis = box.axis](int cell) { return axisValue(cell, axis); };
        const auto first = cells.begin() + static_cast<std::ptrdiff_t>(box.begin);
        const auto last = cells.begin() + static_cast<std::ptrdiff_t>(box.end);
        std::sort(first, last, [&](int a, int b) { return key(a) < key(b); });
        std::uint64_t total = 0;
        for (auto it = first; it != last; ++it)
            total += countOf(*it);
        auto median = first;
        for (std::uint64_t below = countOf(*median); 2 * below < total;)
            below += countOf(*++median);
        const int m = key(*median);
        auto split = std::find_if(first, last, [&](int cell) { return key(cell) > m; });
        if (split == last)
            split = std::find_if(first, last, [&](int cell) { return key(cell) == m; });
        const auto at = static_cast<std::size_t>(split - cells.begin());
        *widest = makeBox(cells, box.begin, at);
        boxes.push_back(makeBox(cells, at, box.end));
    }
    std::vector<QRgb> means;
    for (const Box& box : boxes)
        means.push_back(meanOf(histogram, cells, box));
    return means;
}

std::uint8_t nearestEntry(const std::vector<QRgb>& palette, QRgb color) {
    const auto distance = [color](QRgb p) {
        const int r = qRed(p) - qRed(color);
        const int g = qGreen(p) - qGreen(color);
        const int b = qBlue(p) - qBlue(color);
        return r * r + g * g + b * b;
    };
    const auto best = std::min_element(palette.begin(), palette.end(),
                                       [&](QRgb a, QRgb b) { return distance(a) < distance(b); });
    return static_cast<std::uint8_t>(best - palette.begin());
}

Indexed indexByMedianCut(const std::vector<QRgb>& pixels) {
    std::vector<Cell> histogram(CellCount);
    for (const QRgb p : pixels) {
        Cell& c = histogram[static_cast<std::size_t>(cellOf(p))];
        ++c.count;
        c.sum[0] += static_cast<std::uint64_t>(qRed(p));
        c.sum[1] += static_cast<std::uint64_t>(qGreen(p));
        c.sum[2] += static_cast<std::uint64_t>(qBlue(p));
    }
    std::vector<int> used;
    for (int cell = 0; cell < CellCount; ++cell) {
        if (histogram[static_cast<std::size_t>(cell)].count > 0)
            used.push_back(cell);
    }

    Indexed out;
    out.palette.assign(MarkColors.begin(), MarkColors.end());
    for (const QRgb color : medianCut(histogram, used, PaletteSize - MarkColors.size()))
        out.palette.push_back(color);
    // Every pixel of a cell takes the entry nearest to the cell's mean.
    std::vector<std::uint8_t> entryOfCell(CellCount);
    for (const int cell : used) {
        const auto at = static_cast<std::size_t>(cell);
        entryOfCell[at] = nearestEntry(out.palette, meanOf(histogram[at]));
    }
    out.indices.reserve(pixels.size());
    for (const QRgb p : pixels)
        out.indices.push_back(entryOfCell[static_cast<std::size_t>(cellOf(p))]);
    return out;
}

bool tooLarge(QSize size) {
    return size.width() > MaxPlanSide || size.height() > MaxPlanSide;
}

std::string sizeError(QSize size) {
    return "the picture is " + std::to_string(size.width()) + " x " +
           std::to_string(size.height()) + " pixels; a floor plan is at most " +
           std::to_string(MaxPlanSide) + " pixels each way.";
}

SiteBitmap toBitmap(int width, int height, const Indexed& image) {
    SiteBitmap plan;
    plan.width = width;
    plan.height = height;
    plan.topDown = true;
    for (std::size_t i = 0; i < image.palette.size(); ++i) {
        // Entries are blue, green, red, reserved; the rest stay black.
        plan.colorTable[i * 4] = static_cast<std::uint8_t>(qBlue(image.palette[i]));
        plan.colorTable[i * 4 + 1] = static_cast<std::uint8_t>(qGreen(image.palette[i]));
        plan.colorTable[i * 4 + 2] = static_cast<std::uint8_t>(qRed(image.palette[i]));
    }
    const std::uint32_t stride = plan.rowStride();
    plan.pixels.assign(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height), 0);
    const auto w = static_cast<std::size_t>(width);
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y)
        std::copy_n(image.indices.begin() + static_cast<std::ptrdiff_t>(y * w), w,
                    plan.pixels.begin() + static_cast<std::ptrdiff_t>(y * stride));
    return plan;
}

} // namespace

Result<SiteBitmap> loadPlan(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    // Refused before decoding where the format tells the size up front.
    if (const QSize announced = reader.size(); announced.isValid() && tooLarge(announced))
        return fail(Error{sizeError(announced)});
    const QImage picture = reader.read();
    if (picture.isNull())
        return fail(Error{"cannot read the picture: " + reader.errorString().toStdString()});
    if (tooLarge(picture.size()))
        return fail(Error{sizeError(picture.size())});
    const std::vector<QRgb> pixels = opaquePixels(picture);
    std::optional<Indexed> exact = indexExactly(pixels);
    const Indexed image = exact ? std::move(*exact) : indexByMedianCut(pixels);
    return toBitmap(picture.width(), picture.height(), image);
}

} // namespace marlow::tws
