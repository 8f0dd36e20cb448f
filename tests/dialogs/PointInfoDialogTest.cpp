// The point dialog: its drawing rendered into an image at the handheld's
// scale and at twice that, the delete, and closing without a change.
#include "dialogs/PointInfoDialog.h"

#include "DialogTestSupport.h"
#include "SiteFixtures.h"
#include "dialogs/Dialogs.h"
#include "measure/Measurement.h"

#include <QPushButton>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace marlow {
namespace {

using test::appendRecord;
using test::apRecord;

constexpr QRgb Blue = qRgb(0, 0, 255);
constexpr std::array<int, 4> RuleTops = {20, 60, 100, 210};

bool isDark(QRgb pixel) {
    return qGray(pixel) < 128;
}

// Dark pixels in a rectangle of the 240-pixel layout, scaled.
int darkPixels(const QImage& image, double scale, const QRect& layoutRect) {
    const QRect area(QPoint(static_cast<int>(layoutRect.left() * scale),
                            static_cast<int>(layoutRect.top() * scale)),
                     QPoint(static_cast<int>((layoutRect.right() + 1) * scale) - 1,
                            static_cast<int>((layoutRect.bottom() + 1) * scale) - 1));
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.valid(x, y) && isDark(image.pixel(x, y));
    }
    return count;
}

class PointDialogDrawing : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        appendRecord(store, apRecord(120, 45, 0x02, -58, "office"));
        ASSERT_TRUE(selectNearestPoint(site, store, 120, 45));
    }

    QImage render() {
        CPointInfoDlg dialog(owner.get(), site, store);
        return test::renderImage(dialog);
    }

    int scale() const { return GetParam(); }

    std::unique_ptr<QWidget> owner = test::makeOwner(240 * GetParam());
    SiteState site;
    RecordList store;
};

TEST_P(PointDialogDrawing, RulesAreBlueAndExactlyTwoLayoutPixelsHigh) {
    const QImage image = render();
    const int s = scale();
    for (const int top : RuleTops) {
        for (int y = top * s; y < (top + 2) * s; ++y) {
            for (int x = 7 * s; x < 233 * s; ++x)
                ASSERT_EQ(image.pixel(x, y), Blue) << "rule " << top << " at " << x << "," << y;
        }
        for (const int x : {6 * s, 100 * s, 233 * s}) {
            EXPECT_NE(image.pixel(x, top * s - 1), Blue) << "above rule " << top;
            EXPECT_NE(image.pixel(x, (top + 2) * s), Blue) << "below rule " << top;
        }
        EXPECT_NE(image.pixel(7 * s - 1, top * s), Blue) << "left of rule " << top;
        EXPECT_NE(image.pixel(233 * s, top * s), Blue) << "right of rule " << top;
    }
}

TEST_P(PointDialogDrawing, TextsSitInTheirRectangles) {
    const QImage image = render();
    const std::vector<QRect> texts = {
        QRect(QPoint(7, 5), QPoint(154, 18)),    QRect(QPoint(7, 25), QPoint(76, 38)),
        QRect(QPoint(127, 25), QPoint(196, 38)), QRect(QPoint(7, 45), QPoint(114, 58)),
        QRect(QPoint(7, 65), QPoint(76, 78)),    QRect(QPoint(7, 85), QPoint(114, 98)),
        QRect(QPoint(7, 105), QPoint(236, 118)), QRect(QPoint(7, 125), QPoint(236, 138)),
        QRect(QPoint(7, 145), QPoint(236, 168)),
    };
    for (const QRect& text : texts)
        EXPECT_GT(darkPixels(image, scale(), text), 10) << "text at " << text.y();
    // Nothing between the last text and the last rule, nor beside the Y.
    EXPECT_EQ(darkPixels(image, scale(), QRect(QPoint(0, 170), QPoint(239, 209))), 0);
    EXPECT_EQ(darkPixels(image, scale(), QRect(QPoint(80, 25), QPoint(124, 38))), 0);
}

TEST_P(PointDialogDrawing, OverlongSsidIsCutAtItsRectangle) {
    std::memset(site.selBestSsid, 'W', sizeof site.selBestSsid);
    std::memset(site.selBestMacText, 'W', sizeof site.selBestMacText);
    const QImage image = render();
    // The line reaches the rectangle's right edge and stops there.
    EXPECT_GT(darkPixels(image, scale(), QRect(QPoint(200, 125), QPoint(236, 138))), 0);
    EXPECT_EQ(darkPixels(image, scale(), QRect(QPoint(237, 105), QPoint(239, 140))), 0);
    // No wrap into the next line's place, and the rules stay whole.
    EXPECT_EQ(darkPixels(image, scale(), QRect(QPoint(7, 170), QPoint(239, 209))), 0);
    for (const int top : RuleTops) {
        for (int x = 7 * scale(); x < 233 * scale(); ++x)
            ASSERT_EQ(image.pixel(x, top * scale()), Blue) << "rule " << top;
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, PointDialogDrawing, testing::Values(1, 2));

class PointDialogRun : public testing::Test {
protected:
    void SetUp() override {
        appendRecord(store, apRecord(10, 10, 0x01, -50));
        appendRecord(store, apRecord(10, 10, 0x02, -60));
        appendRecord(store, apRecord(100, 100, 0x03, -55));
        appendRecord(store, apRecord(100, 100, 0x04, -65));
        appendRecord(store, apRecord(100, 100, 0x05, -75));
        appendRecord(store, apRecord(300, 10, 0x06, -45));
        // A later point at the same place is a run of its own.
        appendRecord(store, apRecord(100, 100, 0x07, -40));
        site.locationCount = 4;
        site.apRecordCount = 7;
        ASSERT_TRUE(selectNearestPoint(site, store, 101, 99));
        ASSERT_EQ(site.selApCount, 3);
    }

    std::vector<int> storedMacTails() const {
        std::vector<int> tails;
        for (const SurveyRecord& r : store)
            tails.push_back(r.macAddr[5]);
        return tails;
    }

    std::unique_ptr<QWidget> owner = test::makeOwner(240);
    SiteState site;
    RecordList store;
};

TEST_F(PointDialogRun, DeleteRemovesExactlyTheSelectedRunAndKeepsTheCounters) {
    test::whileModal([](QDialog& dialog) {
        auto* point = qobject_cast<CPointInfoDlg*>(&dialog);
        ASSERT_NE(point, nullptr);
        point->deleteButton()->click();
    });
    EXPECT_EQ(runPointInfoDialog(owner.get(), site, store), PointDeleted);
    EXPECT_EQ(storedMacTails(), (std::vector<int>{0x01, 0x02, 0x06, 0x07}));
    EXPECT_EQ(site.locationCount, 4);
    EXPECT_EQ(site.apRecordCount, 7);
}

TEST_F(PointDialogRun, ClosingFromTheCaptionChangesNothing) {
    test::whileModal([](QDialog& dialog) { dialog.close(); });
    EXPECT_NE(runPointInfoDialog(owner.get(), site, store), PointDeleted);
    EXPECT_EQ(storedMacTails(), (std::vector<int>{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07}));
}

TEST_F(PointDialogRun, DeleteIsTheDefaultButtonWithItsCaption) {
    CPointInfoDlg dialog(owner.get(), site, store);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Location Parms/Delete Request"));
    EXPECT_EQ(dialog.deleteButton()->text(), QStringLiteral("DELETE THIS POINT"));
    EXPECT_TRUE(dialog.deleteButton()->isDefault());
}

} // namespace
} // namespace marlow
