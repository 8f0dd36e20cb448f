// Pictures made from a site file: its stored signature, its floor plan
// with the survey points marked on it, and PNG bytes of any picture.
#pragma once

#include "base/Result.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteBitmap.h"

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <span>

namespace marlow::tws {

// The signature as a 200 x 100 black-on-white picture.
QImage signatureImage(const SignaturePixels& signature);

// A point to mark on the plan, in plan pixels.
struct PointMark {
    std::int32_t x = 0;
    std::int32_t y = 0;
    QRgb colour = 0;
};

// How much reducedPlan shrinks the plan each way: 1 when it fits.
double reductionFor(const SiteBitmap& plan, int maxSide);

// The plan shrunk, by nearest pixel, so that its longer side is at most
// maxSide pixels, keeping its colour table: a page needs no more, and a
// large plan in colour at full size would cost four bytes a pixel. A plan
// that fits is copied as it is.
SiteBitmap reducedPlan(const SiteBitmap& plan, int maxSide);

// The plan in its own colours; null for a plan with no pixels.
QImage planPicture(const SiteBitmap& plan);

// Draws a small disc for each mark on a picture of a plan of planSize
// pixels; returns how many marks lie off the plan and are not drawn.
std::size_t drawMarks(QImage& picture, QSize planSize, std::span<const PointMark> marks);

// The picture as PNG bytes, or why it could not be encoded.
Result<QByteArray> encodePng(const QImage& picture);

} // namespace marlow::tws
