// The colour legend: swatch colours equal to the map's mark brushes and
// painted over their whole rectangles, the labels, and the close button.
#include "dialogs/RssiLegendDialog.h"

#include "DialogTestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace marlow {
namespace {

constexpr std::array<std::uint32_t, RssiBandCount> BandColors = {0x0000FF, 0x0080FF, 0x00FFFF,
                                                                 0x00FF00, 0xFF0000, 0x000000};

QRgb toQRgb(std::uint32_t colorRef) {
    return qRgb(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                static_cast<int>((colorRef >> 16) & 0xFF));
}

TEST(RssiLegend, SwatchColorsAreTheBandsMarkColors) {
    CRssiLegendDlg dialog(nullptr);
    for (std::size_t band = 0; band < RssiBands.size(); ++band) {
        EXPECT_EQ(dialog.swatches()[band]->swatchColor, RssiBands[band].brush.colorRef()) << band;
        EXPECT_EQ(dialog.swatches()[band]->swatchColor, BandColors[band]) << band;
    }
}

class RssiLegendDrawing : public testing::TestWithParam<int> {};

TEST_P(RssiLegendDrawing, EachSwatchFillsItsWholeRectangle) {
    const auto owner = test::makeOwner(GetParam());
    CRssiLegendDlg dialog(owner.get());
    const QImage image = test::renderImage(dialog);
    for (std::size_t band = 0; band < RssiBands.size(); ++band) {
        const QRect swatch = dialog.swatches()[band]->geometry();
        const QRgb expected = toQRgb(BandColors[band]);
        for (int y = swatch.top(); y <= swatch.bottom(); ++y) {
            for (int x = swatch.left(); x <= swatch.right(); ++x)
                ASSERT_EQ(image.pixel(x, y), expected) << band << " at " << x << "," << y;
        }
        EXPECT_NE(image.pixel(swatch.left() - 1, swatch.top()), expected) << band;
        EXPECT_NE(image.pixel(swatch.right() + 1, swatch.bottom()), expected) << band;
    }
}

TEST_P(RssiLegendDrawing, LabelsAreExactAndFitTheirPlaces) {
    const auto owner = test::makeOwner(GetParam());
    CRssiLegendDlg dialog(owner.get());
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    QStringList texts;
    for (const QLabel* label : labels) {
        texts << label->text();
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->text().toStdString();
    }
    EXPECT_EQ(texts, (QStringList{"greater than -39 dBm", "-40 thru -49 dBm", "-50 thru -59 dBm",
                                  "-60 thru -69 dBm", "-70 thru -79 dBm", "-80 thru -89 dBm"}));
    // Each label stands beside its swatch.
    for (std::size_t band = 0; band < RssiBands.size(); ++band)
        EXPECT_EQ(labels[static_cast<qsizetype>(band)]->y(), dialog.swatches()[band]->y());
}

INSTANTIATE_TEST_SUITE_P(OwnerWidths, RssiLegendDrawing,
                         testing::Values(240, 320, 360, 480, 600, 720, 960));

TEST(RssiLegend, CaptionKeepsItsTrailingSpace) {
    CRssiLegendDlg dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Color of RSSI Values "));
}

TEST(RssiLegend, CloseButtonEndsTheDialog) {
    CRssiLegendDlg dialog(nullptr);
    test::whileModal([](QDialog& running) {
        const QList<QPushButton*> buttons = running.findChildren<QPushButton*>();
        ASSERT_EQ(buttons.size(), 1);
        buttons.front()->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

} // namespace
} // namespace marlow
