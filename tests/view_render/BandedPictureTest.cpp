// A frame drawn in bands on several threads is the same as one drawn a few
// rows at a time on the painting thread.
#include "SiteFixtures.h"
#include "view/SitePicture.h"

#include <QImage>
#include <gtest/gtest.h>

namespace marlow {
namespace {

// Marks lie across every band's edges, and later ones over earlier ones: a
// band drawing a mark beyond its rows, or before the plan under it, shows.
TEST(SitePicture, ABandedFrameIsTheOneDrawnAFewRowsAtATime) {
    SitePicture picture(test::testPlan(900, 700));
    for (int i = 0; i < 3000; ++i)
        picture.addMark((i * 37) % 900, (i * 53) % 700, -30 - i % 70);
    const FrameGrid grid{1000, 900, 800, 700, 40, -20};
    const Rect area{0, 0, 1000, 780};
    QImage banded(1000, 800, QImage::Format_RGB32);
    banded.fill(Qt::magenta);
    QImage strips = banded;
    picture.render(banded, grid, area);
    for (std::int32_t top = area.top; top < area.bottom; top += 9)
        picture.render(strips, grid, {area.left, top, area.right, std::min(top + 9, area.bottom)});
    EXPECT_EQ(banded, strips);
}

} // namespace
} // namespace marlow
