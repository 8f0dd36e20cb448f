// The signature and floor-plan pictures of the tws tool.
#include "SiteImages.h"

#include "sitefile/SiteFormat.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>

namespace marlow::tws {

namespace {

// A disc is this fraction of the picture's longer side across, and never
// smaller than a few pixels, so that it shows on a large plan and a small.
constexpr int DiscFraction = 80;
constexpr int MinDiscRadius = 3;

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

QImage planPicture(const SiteBitmap& plan, int maxSide) {
    if (plan.width <= 0 || plan.height <= 0)
        return {};
    // Nearest-neighbour sampling straight into the smaller picture: the plan
    // is never expanded to full-size colour.
    const double scale =
        std::min(1.0, static_cast<double>(maxSide) / std::max(plan.width, plan.height));
    const int width = std::max(1, static_cast<int>(plan.width * scale));
    const int height = std::max(1, static_cast<int>(plan.height * scale));
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row =
            plan.row(std::min(plan.height - 1, static_cast<std::int32_t>(y / scale)));
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const auto source = std::min(plan.width - 1, static_cast<std::int32_t>(x / scale));
            line[x] = 0xFF000000u | plan.rgb(row[source]);
        }
    }
    return picture;
}

std::size_t drawMarks(QImage& picture, QSize planSize, std::span<const PointMark> marks) {
    std::size_t outside = 0;
    const double sx = static_cast<double>(picture.width()) / planSize.width();
    const double sy = static_cast<double>(picture.height()) / planSize.height();
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 1.0));
    const double radius =
        std::max<double>(MinDiscRadius, std::max(picture.width(), picture.height()) / DiscFraction);
    for (const PointMark& mark : marks) {
        if (mark.x < 0 || mark.y < 0 || mark.x >= planSize.width() || mark.y >= planSize.height()) {
            ++outside;
            continue;
        }
        painter.setBrush(QColor::fromRgb(mark.colour));
        painter.drawEllipse(QPointF((mark.x + 0.5) * sx, (mark.y + 0.5) * sy), radius, radius);
    }
    return outside;
}

Result<QByteArray> encodePng(const QImage& picture) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(picture))
        return fail(Error{"cannot make the picture: " + writer.errorString().toStdString()});
    return png;
}

} // namespace marlow::tws
