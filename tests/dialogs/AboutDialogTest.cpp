// The About box: caption, texts that fit their places, the icon from the
// program's resources, and OK.
#include "dialogs/AboutDialog.h"

#include "DialogTestSupport.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace marlow {
namespace {

TEST(About, CaptionNamesTheProduct) {
    CAboutDlg dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Marlow Fieldwalk"));
}

class AboutTexts : public testing::TestWithParam<int> {};

TEST_P(AboutTexts, VersionAndLegalNoticeFitTheirPlaces) {
    const auto owner = test::makeOwner(GetParam());
    CAboutDlg dialog(owner.get());
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label == dialog.iconLabel())
            continue;
        texts << label->text();
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->text().toStdString();
    }
    EXPECT_EQ(texts, (QStringList{"Marlow Fieldwalk v1.71", "Copyright (C) 2026",
                                  "All rights reserved."}));
}

INSTANTIATE_TEST_SUITE_P(OwnerWidths, AboutTexts,
                         testing::Values(240, 320, 360, 480, 600, 720, 960));

TEST(About, ShowsTheApplicationIconInItsPlace) {
    const auto owner = test::makeOwner(480);
    CAboutDlg dialog(owner.get());
    const QLabel* icon = dialog.iconLabel();
    ASSERT_FALSE(icon->pixmap().isNull());
    EXPECT_EQ(icon->pixmap().size(), icon->size());
    EXPECT_EQ(icon->geometry(), QRect(30, 36, 60, 60));

    // The picture is drawn, not an empty square.
    const QImage shown = test::renderImage(dialog).copy(icon->geometry());
    const QRgb corner = shown.pixel(0, 0);
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x)
            differing += shown.pixel(x, y) != corner;
    }
    EXPECT_GT(differing, shown.width() * shown.height() / 10);
}

TEST(About, OkIsTheDefaultAndEndsTheDialog) {
    CAboutDlg dialog(nullptr);
    test::whileModal([](QDialog& running) {
        const QList<QPushButton*> buttons = running.findChildren<QPushButton*>();
        ASSERT_EQ(buttons.size(), 1);
        EXPECT_EQ(buttons.front()->text(), QStringLiteral("OK"));
        EXPECT_TRUE(buttons.front()->isDefault());
        buttons.front()->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

} // namespace
} // namespace marlow
