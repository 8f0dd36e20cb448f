// What all dialogs share: their captions and buttons, and their layout in
// dialog units scaled with the owner's window so that every dialog, control
// and text fits its place. The colour legend's swatches and the About box.
#include "dialogs/Dialogs.h"

#include "DialogTestSupport.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/HelpDialog.h"
#include "dialogs/PointInfoDialog.h"
#include "dialogs/RssiLegendDialog.h"
#include "dialogs/SignOffDialog.h"
#include "dialogs/SignaturePad.h"

#include <QLabel>
#include <QPushButton>

namespace marlow {
namespace {

QStringList textsOf(const QList<QLabel*>& labels, const QLabel* leaveOut = nullptr) {
    QStringList texts;
    for (const QLabel* label : labels) {
        if (label != leaveOut)
            texts << label->text();
    }
    return texts;
}

// The last button is the default one; it ends the dialog with the result.
TEST(Dialogs, CaptionsButtonsAndWhatTheDefaultButtonEnds) {
    SiteState site;
    RecordList store;
    CPointInfoDlg point(nullptr, site, store);
    CSignOffDlg signOff(nullptr);
    CRssiLegendDlg legend(nullptr);
    CHelpDlg help(nullptr);
    CAboutDlg about(nullptr);
    const struct {
        QDialog* dialog;
        const char* caption;
        QStringList buttons;
        int result;
    } cases[] = {
        {&point, "Location Parms/Delete Request", {"DELETE THIS POINT"}, PointDeleted},
        {&signOff,
         "Sign Off On Survey",
         {"CLEAR SIGNATURE", "SAVE SITE SURVEY"},
         QDialog::Accepted},
        {&legend, "Color of RSSI Values ", {"Close"}, QDialog::Accepted},
        {&help, "Marlow Fieldwalk Help", {}, QDialog::Rejected},
        {&about, "About Marlow Fieldwalk", {"OK"}, QDialog::Accepted},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.dialog->windowTitle(), QString::fromLatin1(c.caption));
        const QList<QPushButton*> buttons = c.dialog->findChildren<QPushButton*>();
        QStringList texts;
        for (const QPushButton* button : buttons) {
            texts << button->text();
            EXPECT_EQ(button->isDefault(), button == buttons.back()) << c.caption;
        }
        EXPECT_EQ(texts, c.buttons) << c.caption;
        if (!buttons.isEmpty())
            buttons.back()->click();
        EXPECT_EQ(c.dialog->result(), c.result) << c.caption;
    }
    EXPECT_EQ(
        textsOf(about.findChildren<QLabel*>(), about.iconLabel()),
        (QStringList{"Marlow Fieldwalk v1.71", "Copyright (C) 2026", "All rights reserved."}));
}

class DialogsAtOwnerWidth : public testing::TestWithParam<int> {};

TEST_P(DialogsAtOwnerWidth, NoDialogControlOrTextIsWiderThanItsPlace) {
    const int width = GetParam();
    const auto owner = test::makeOwner(width);
    SiteState site;
    RecordList store;
    CPointInfoDlg point(owner.get(), site, store);
    CSignOffDlg signOff(owner.get());
    CRssiLegendDlg legend(owner.get());
    CHelpDlg help(owner.get());
    CAboutDlg about(owner.get());
    for (const QDialog* dialog :
         std::initializer_list<const QDialog*>{&point, &signOff, &legend, &help, &about}) {
        const std::string title = dialog->windowTitle().toStdString();
        EXPECT_LE(dialog->width(), width) << title;
        EXPECT_GT(dialog->width(), width / 2) << title;
        for (const QWidget* control : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_TRUE(dialog->rect().contains(control->geometry()))
                << title << ": " << control->metaObject()->className();
        for (const QLabel* label : dialog->findChildren<QLabel*>())
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                << label->text().toStdString();
    }
    // The pad is the stored 200 x 100 area at every scale.
    EXPECT_EQ(signOff.pad()->size(), QSize(200, 100));
}

TEST_P(DialogsAtOwnerWidth, LegendSwatchesFillTheirRectanglesInTheMarkColoursBesideTheirLabels) {
    const auto owner = test::makeOwner(GetParam());
    CRssiLegendDlg dialog(owner.get());
    const QImage image = test::renderImage(dialog);
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    EXPECT_EQ(textsOf(labels),
              (QStringList{"greater than -39 dBm", "-40 thru -49 dBm", "-50 thru -59 dBm",
                           "-60 thru -69 dBm", "-70 thru -79 dBm", "-80 thru -89 dBm"}));
    // 0x00BBGGRR: red, orange, yellow, green, blue, black.
    const std::uint32_t bandColors[] = {0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF00, 0xFF0000, 0};
    for (std::size_t band = 0; band < RssiBands.size(); ++band) {
        const CColorSwatch& swatch = *dialog.swatches()[band];
        EXPECT_EQ(swatch.swatchColor, RssiBands[band].brush.colorRef()) << band;
        const std::uint32_t c = bandColors[band];
        EXPECT_EQ(swatch.swatchColor, c) << band;
        const QRgb expected = qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int(c >> 16));
        const QRect r = swatch.geometry();
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x)
                ASSERT_EQ(image.pixel(x, y), expected) << band << " at " << x << "," << y;
        }
        EXPECT_NE(image.pixel(r.left() - 1, r.top()), expected) << band;
        EXPECT_NE(image.pixel(r.right() + 1, r.bottom()), expected) << band;
        EXPECT_EQ(labels[qsizetype(band)]->y(), r.y()) << band;
    }
}

INSTANTIATE_TEST_SUITE_P(OwnerWidths, DialogsAtOwnerWidth,
                         testing::Values(240, 320, 360, 480, 600, 720, 960));

TEST(AboutDialog, ShowsTheApplicationIconInItsPlace) {
    const auto owner = test::makeOwner(480);
    CAboutDlg dialog(owner.get());
    const QLabel* icon = dialog.iconLabel();
    ASSERT_FALSE(icon->pixmap().isNull());
    EXPECT_EQ(icon->pixmap().size(), icon->size());
    EXPECT_EQ(icon->geometry(), QRect(30, 36, 60, 60));
}

} // namespace
} // namespace marlow
