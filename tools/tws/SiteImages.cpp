// The signature and floor-plan pictures of the tws tool.
#include "SiteImages.h"

#include "sitefile/SiteFormat.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>
#include <map>

namespace marlow::tws {

namespace {

// A disc is this fraction of the picture's longer side across, and never
// smaller than a few pixels, so that it shows on a large plan and a small.
constexpr int DiscFraction = 80;
constexpr int MinDiscRadius = 3;
// Qt's PNG quality maps onto zlib's levels, 100 being none; 80 is level 1.
constexpr int PngQuality = 80;

} // namespace

QImage signatureImage(const SignaturePixels& signature) {
    QImage picture(SignatureWidth, SignatureHeight, QImage::Format_Mono);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < SignatureHeight; ++y) {
        for (int x = 0; x < SignatureWidth; ++x) {
            const auto at = static_cast<std::size_t>(y * SignatureWidth + x);
            picture.setPixel(x, y, signature[at] == SignatureInk ? 1 : 0);
        }
    }
    return picture;
}

double reductionFor(const SiteBitmap& plan, int maxSide) {
    if (plan.width <= 0 || plan.height <= 0)
        return 1.0;
    return std::min(1.0, static_cast<double>(maxSide) / std::max(plan.width, plan.height));
}

SiteBitmap reducedPlan(const SiteBitmap& plan, int maxSide) {
    const double scale = reductionFor(plan, maxSide);
    if (scale >= 1.0 || plan.width <= 0 || plan.height <= 0)
        return plan;
    SiteBitmap reduced;
    reduced.width = std::max(1, static_cast<int>(plan.width * scale));
    reduced.height = std::max(1, static_cast<int>(plan.height * scale));
    reduced.topDown = true;
    reduced.colorTable = plan.colorTable;
    reduced.pixels.resize(std::size_t{reduced.rowStride()} *
                          static_cast<std::size_t>(reduced.height));
    for (std::int32_t y = 0; y < reduced.height; ++y) {
        const std::uint8_t* from =
            plan.row(std::min(plan.height - 1, static_cast<std::int32_t>(y / scale)));
        std::uint8_t* to =
            reduced.pixels.data() + std::size_t{reduced.rowStride()} * static_cast<std::size_t>(y);
        for (std::int32_t x = 0; x < reduced.width; ++x)
            to[x] = from[std::min(plan.width - 1, static_cast<std::int32_t>(x / scale))];
    }
    return reduced;
}

QImage planPicture(const SiteBitmap& plan) {
    if (plan.width <= 0 || plan.height <= 0)
        return {};
    QImage picture(plan.width, plan.height, QImage::Format_RGB32);
    for (std::int32_t y = 0; y < plan.height; ++y) {
        const std::uint8_t* row = plan.row(y);
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (std::int32_t x = 0; x < plan.width; ++x)
            line[x] = 0xFF000000u | plan.rgb(row[x]);
    }
    return picture;
}

std::size_t drawMarks(QImage& picture, QSize planSize, std::span<const PointMark> marks) {
    const double sx = static_cast<double>(picture.width()) / planSize.width();
    const double sy = static_cast<double>(picture.height()) / planSize.height();
    const int radius =
        std::max(MinDiscRadius, std::max(picture.width(), picture.height()) / DiscFraction);
    // Each colour's disc is drawn once and then copied to every mark of that
    // colour: thousands of antialiased ellipses would cost far more.
    std::map<QRgb, QImage> discs;
    const auto discOf = [&](QRgb colour) -> const QImage& {
        auto [at, added] = discs.try_emplace(colour);
        if (added) {
            at->second =
                QImage(2 * radius + 2, 2 * radius + 2, QImage::Format_ARGB32_Premultiplied);
            at->second.fill(Qt::transparent);
            QPainter disc(&at->second);
            disc.setRenderHint(QPainter::Antialiasing);
            disc.setPen(QPen(Qt::white, 1.0));
            disc.setBrush(QColor::fromRgb(colour));
            disc.drawEllipse(QPointF(radius + 1, radius + 1), radius, radius);
        }
        return at->second;
    };
    std::size_t outside = 0;
    QPainter painter(&picture);
    for (const PointMark& mark : marks) {
        if (mark.x < 0 || mark.y < 0 || mark.x >= planSize.width() || mark.y >= planSize.height()) {
            ++outside;
            continue;
        }
        const int cx = static_cast<int>((mark.x + 0.5) * sx);
        const int cy = static_cast<int>((mark.y + 0.5) * sy);
        painter.drawImage(QPoint(cx - radius - 1, cy - radius - 1), discOf(mark.colour));
    }
    return outside;
}

Result<QByteArray> encodePng(const QImage& picture) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // A light compression: a little larger than the default, several times
    // quicker on a page-sized picture.
    writer.setQuality(PngQuality);
    if (!writer.write(picture))
        return fail(Error{"cannot make the picture: " + writer.errorString().toStdString()});
    return png;
}

} // namespace marlow::tws
