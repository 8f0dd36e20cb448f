// The sign-off dialog and its pad: strokes from synthetic mouse events, the
// read-back after the modal run, the unshown outer ring, and the layout.
#include "dialogs/SignOffDialog.h"

#include "DialogTestSupport.h"
#include "dialogs/SignaturePad.h"
#include "sitefile/SiteFormat.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <climits>
#include <gtest/gtest.h>

namespace marlow {
namespace {

void send(QWidget& pad, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), QPointF(pad.mapToGlobal(at)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&pad, &event);
}

void press(QWidget& pad, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    send(pad, QEvent::MouseButtonPress, at, button, button);
}

void moveHolding(QWidget& pad, QPoint to, Qt::MouseButtons held = Qt::LeftButton) {
    send(pad, QEvent::MouseMove, to, Qt::NoButton, held);
}

void release(QWidget& pad, QPoint at) {
    send(pad, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

void stroke(QWidget& pad, QPoint from, QPoint to) {
    press(pad, from);
    moveHolding(pad, to);
    release(pad, to);
}

template <typename Source> int inkCount(const Source& source) {
    int count = 0;
    for (int y = 0; y < SignatureHeight; ++y) {
        for (int x = 0; x < SignatureWidth; ++x)
            count += source.readSignaturePixel(x, y) == SignatureInk;
    }
    return count;
}

class SignOff : public testing::Test {
protected:
    CSignaturePad& pad() { return *dialog.pad(); }

    std::unique_ptr<QWidget> owner = test::makeOwner(240);
    CSignOffDlg dialog{owner.get()};
};

TEST_F(SignOff, CaptionAndButtons) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sign Off On Survey"));
    QStringList texts;
    for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
        texts << button->text();
        EXPECT_EQ(button->isDefault(), button->text() == QStringLiteral("SAVE SITE SURVEY"));
    }
    EXPECT_EQ(texts, (QStringList{"CLEAR SIGNATURE", "SAVE SITE SURVEY"}));
}

TEST_F(SignOff, SavingWithoutSigningReadsAllWhite) {
    test::whileModal([](QDialog& running) { running.findChildren<QPushButton*>().at(1)->click(); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(inkCount(dialog), 0);
}

TEST_F(SignOff, SignatureDrawnDuringTheRunIsReadAfterIt) {
    test::whileModal([](QDialog& running) {
        auto& signOff = static_cast<CSignOffDlg&>(running);
        stroke(*signOff.pad(), {20, 30}, {120, 30});
        signOff.findChildren<QPushButton*>().at(1)->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    for (int x = 20; x <= 120; ++x)
        ASSERT_EQ(dialog.readSignaturePixel(x, 30), SignatureInk) << x;
    EXPECT_EQ(dialog.readSignaturePixel(20, 40), SignatureWhite);
}

TEST_F(SignOff, ClosingFromTheCaptionEndsLikeSaveAndKeepsTheSignature) {
    test::whileModal([](QDialog& running) {
        auto& signOff = static_cast<CSignOffDlg&>(running);
        stroke(*signOff.pad(), {50, 10}, {50, 90});
        signOff.close();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.readSignaturePixel(50, 50), SignatureInk);
}

TEST_F(SignOff, ClearWhitensEverything) {
    stroke(pad(), {10, 10}, {190, 90});
    stroke(pad(), {0, 0}, {199, 0});
    ASSERT_GT(inkCount(dialog), 0);
    dialog.findChildren<QPushButton*>().at(0)->click();
    EXPECT_EQ(inkCount(dialog), 0);
}

TEST_F(SignOff, PenDownAloneLeavesADot) {
    press(pad(), {60, 40});
    EXPECT_EQ(dialog.readSignaturePixel(60, 40), SignatureInk);
    EXPECT_LE(inkCount(dialog), 9);
}

TEST_F(SignOff, MovesDrawOnlyWhileTheLeftButtonIsHeld) {
    moveHolding(pad(), {30, 30}, Qt::NoButton);
    moveHolding(pad(), {90, 30}, Qt::NoButton);
    press(pad(), {30, 60}, Qt::RightButton);
    moveHolding(pad(), {90, 60}, Qt::RightButton);
    EXPECT_EQ(inkCount(dialog), 0);

    stroke(pad(), {30, 80}, {90, 80});
    const int afterStroke = inkCount(dialog);
    EXPECT_GT(afterStroke, 0);
    // After the release the pen is up again.
    moveHolding(pad(), {150, 20}, Qt::NoButton);
    EXPECT_EQ(inkCount(dialog), afterStroke);
    EXPECT_EQ(dialog.readSignaturePixel(120, 50), SignatureWhite);
}

TEST_F(SignOff, EachMoveContinuesFromTheLastPoint) {
    press(pad(), {10, 10});
    moveHolding(pad(), {60, 10});
    moveHolding(pad(), {60, 70});
    for (int x = 10; x <= 60; ++x)
        EXPECT_EQ(dialog.readSignaturePixel(x, 10), SignatureInk) << x;
    for (int y = 10; y <= 70; ++y)
        EXPECT_EQ(dialog.readSignaturePixel(60, y), SignatureInk) << y;
}

TEST_F(SignOff, StrokeThroughTheOuterRingIsStoredButNotShown) {
    stroke(pad(), {0, 50}, {30, 50});
    EXPECT_EQ(dialog.readSignaturePixel(0, 50), SignatureInk);
    EXPECT_EQ(dialog.readSignaturePixel(10, 50), SignatureInk);

    const QImage shown = test::renderImage(pad());
    EXPECT_NE(shown.pixel(0, 50), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(10, 50), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(10, 30), qRgb(255, 255, 255));
}

TEST_F(SignOff, InkOnTheScreenIsPureBlack) {
    stroke(pad(), {20, 20}, {150, 77});
    const QImage shown = test::renderImage(pad());
    int black = 0;
    for (int y = 1; y < shown.height() - 1; ++y) {
        for (int x = 1; x < shown.width() - 1; ++x) {
            const QRgb pixel = shown.pixel(x, y);
            ASSERT_TRUE(pixel == qRgb(0, 0, 0) || pixel == qRgb(255, 255, 255)) << x << "," << y;
            black += pixel == qRgb(0, 0, 0);
            EXPECT_EQ(dialog.readSignaturePixel(x, y),
                      pixel == qRgb(0, 0, 0) ? SignatureInk : SignatureWhite);
        }
    }
    EXPECT_GT(black, 130);
}

TEST_F(SignOff, OutsideTheSurfaceReadsWhite) {
    stroke(pad(), {0, 0}, {199, 99});
    stroke(pad(), {199, 0}, {0, 99});
    for (const QPoint at : {QPoint(-1, 0), QPoint(0, -1), QPoint(200, 0), QPoint(0, 100),
                            QPoint(INT_MIN, INT_MIN), QPoint(INT_MAX, INT_MAX)})
        EXPECT_EQ(dialog.readSignaturePixel(at.x(), at.y()), SignatureWhite) << at.x();
    EXPECT_EQ(dialog.readSignaturePixel(0, 0), SignatureInk);
    EXPECT_EQ(dialog.readSignaturePixel(199, 99), SignatureInk);
}

TEST(SignaturePad, SmallerPadStoresWhiteBeyondItsEdges) {
    CSignaturePad pad(QSize(120, 60), nullptr);
    stroke(pad, {0, 0}, {119, 59});
    // Dragged past the pad's edges: nothing lands outside the surface.
    stroke(pad, {60, 30}, {190, 30});
    stroke(pad, {60, 30}, {60, 95});
    int inside = 0;
    for (int y = 0; y < SignatureHeight; ++y) {
        for (int x = 0; x < SignatureWidth; ++x) {
            const bool ink = pad.readSignaturePixel(x, y) == SignatureInk;
            if (x >= 120 || y >= 60) {
                ASSERT_FALSE(ink) << x << "," << y;
            }
            inside += ink;
        }
    }
    EXPECT_EQ(pad.readSignaturePixel(119, 30), SignatureInk);
    EXPECT_EQ(pad.readSignaturePixel(60, 59), SignatureInk);
    EXPECT_GT(inside, 119);
}

struct PixelCase {
    QRgb pixel;
    std::uint32_t stored;
};

class SignatureValue : public testing::TestWithParam<PixelCase> {};

TEST_P(SignatureValue, OnlyPureBlackIsInk) {
    EXPECT_EQ(signatureValue(GetParam().pixel), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Pixels, SignatureValue,
                         testing::Values(PixelCase{qRgb(0, 0, 0), SignatureInk},
                                         PixelCase{qRgba(0, 0, 0, 0), SignatureInk},
                                         PixelCase{qRgb(1, 0, 0), SignatureWhite},
                                         PixelCase{qRgb(0, 1, 0), SignatureWhite},
                                         PixelCase{qRgb(0, 0, 1), SignatureWhite},
                                         PixelCase{qRgb(128, 128, 128), SignatureWhite},
                                         PixelCase{qRgb(255, 255, 255), SignatureWhite}));

class SignOffLayout : public testing::TestWithParam<int> {};

TEST_P(SignOffLayout, PadIsTheStoredAreaAndTheButtonsStayBelowIt) {
    const auto owner = test::makeOwner(GetParam());
    CSignOffDlg dialog(owner.get());
    const QRect pad = dialog.pad()->geometry();
    EXPECT_EQ(pad.size(), QSize(SignatureWidth, SignatureHeight));
    int lastBottom = pad.bottom();
    for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
        EXPECT_GT(button->geometry().top(), lastBottom) << button->text().toStdString();
        lastBottom = button->geometry().bottom();
    }
    EXPECT_TRUE(dialog.rect().contains(pad));
    EXPECT_LT(lastBottom, dialog.height());
}

INSTANTIATE_TEST_SUITE_P(OwnerWidths, SignOffLayout, testing::Values(240, 320, 480, 960));

} // namespace
} // namespace marlow
