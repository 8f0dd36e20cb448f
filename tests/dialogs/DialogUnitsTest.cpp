// The dialog-unit conversion: the handheld's scale, scaling with the owner,
// and every dialog fitting the owner's width.
#include "dialogs/DialogUnits.h"

#include "DialogTestSupport.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/HelpDialog.h"
#include "dialogs/PointInfoDialog.h"
#include "dialogs/RssiLegendDialog.h"
#include "dialogs/SignOffDialog.h"
#include "store/RecordList.h"
#include "store/SiteState.h"

#include <gtest/gtest.h>

namespace marlow {
namespace {

TEST(DialogUnits, HandheldScaleConvertsTemplateUnits) {
    const DialogUnits units;
    EXPECT_EQ(units.x(146), 219);
    EXPECT_EQ(units.y(158), 257);
    EXPECT_EQ(units.size(160, 161), QSize(240, 262));
    // The signature pad's place, (7, 7) 125 x 46 units.
    EXPECT_EQ(units.rect(7, 7, 125, 46), QRect(11, 11, 187, 75));
    EXPECT_EQ(units.layoutPixels(226), 226);
}

TEST(DialogUnits, ScalesWithTheOwnersWindowWidth) {
    const auto owner = test::makeOwner(480);
    QWidget child(owner.get());
    child.resize(100, 100);
    const DialogUnits units = DialogUnits::forOwner(&child);
    EXPECT_DOUBLE_EQ(units.scale(), 2.0);
    EXPECT_EQ(units.x(146), 438);
    EXPECT_EQ(units.y(158), 514);
    EXPECT_EQ(units.layoutPixels(226), 452);
    EXPECT_EQ(units.font().pixelSize(), 2 * DialogUnits().font().pixelSize());
}

TEST(DialogUnits, NoOwnerOrAnEmptyOneIsTheHandheldScale) {
    EXPECT_DOUBLE_EQ(DialogUnits::forOwner(nullptr).scale(), 1.0);
    QWidget empty;
    empty.resize(0, 0);
    EXPECT_DOUBLE_EQ(DialogUnits::forOwner(&empty).scale(), 1.0);
}

TEST(DialogUnits, NeighbouringControlsShareTheirEdgeAtOddScales) {
    const DialogUnits units(1.37);
    const QRect left = units.rect(7, 7, 13, 5);
    const QRect right = units.rect(20, 7, 13, 5);
    EXPECT_EQ(left.right() + 1, right.left());
}

class DialogsFitTheOwner : public testing::TestWithParam<int> {};

TEST_P(DialogsFitTheOwner, NoDialogIsWiderThanItsOwner) {
    const int width = GetParam();
    const auto owner = test::makeOwner(width);
    SiteState site;
    RecordList store;
    CPointInfoDlg point(owner.get(), site, store);
    CSignOffDlg signOff(owner.get());
    CRssiLegendDlg legend(owner.get());
    CHelpDlg help(owner.get());
    CAboutDlg about(owner.get());
    for (const QDialog* dialog : {static_cast<QDialog*>(&point), static_cast<QDialog*>(&signOff),
                                  static_cast<QDialog*>(&legend), static_cast<QDialog*>(&help),
                                  static_cast<QDialog*>(&about)}) {
        EXPECT_LE(dialog->width(), width) << dialog->windowTitle().toStdString();
        EXPECT_GT(dialog->width(), width / 2) << dialog->windowTitle().toStdString();
        for (const QWidget* control : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(dialog->rect().contains(control->geometry()))
                << dialog->windowTitle().toStdString() << ": "
                << control->metaObject()->className();
    }
}

INSTANTIATE_TEST_SUITE_P(OwnerWidths, DialogsFitTheOwner, testing::Values(240, 320, 480, 720));

} // namespace
} // namespace marlow
