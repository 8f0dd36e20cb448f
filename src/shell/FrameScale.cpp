// The main window's scale and the sizes that follow from it.
#include "shell/FrameScale.h"

#include <algorithm>
#include <cmath>

namespace marlow {

namespace {

constexpr int IconStep = 8;

} // namespace

double frameScale(QSize window) {
    const double byWidth = static_cast<double>(window.width()) / HandheldSize.width();
    const double byHeight = static_cast<double>(window.height()) / HandheldSize.height();
    return std::clamp(std::min(byWidth, byHeight), 1.0, LargestFrameScale);
}

int commandIconSize(double scale) {
    const int pixels = static_cast<int>(std::floor(BaseIconSize * scale));
    return std::max(BaseIconSize, pixels / IconStep * IconStep);
}

QSize startSize(const QRect& available) {
    const int height = available.height() * 2 / 3;
    const QSize handheldShaped(height * HandheldSize.width() / HandheldSize.height(), height);
    return handheldShaped.expandedTo(MinimumFrameSize).boundedTo(available.size());
}

} // namespace marlow
