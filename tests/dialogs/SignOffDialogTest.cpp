// The sign-off dialog and its pad: strokes from synthetic mouse events, the
// read-back after the modal run, the unshown outer ring, and what is ink.
#include "dialogs/SignOffDialog.h"

#include "DialogTestSupport.h"
#include "dialogs/SignaturePad.h"
#include "sitefile/SiteFormat.h"

#include <QMouseEvent>
#include <QPushButton>
#include <climits>

namespace marlow {
namespace {

constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb White = qRgb(255, 255, 255);

void mouse(QWidget& pad, QEvent::Type type, QPoint at, Qt::MouseButtons held = Qt::LeftButton,
           Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent event(type, QPointF(at), QPointF(pad.mapToGlobal(at)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&pad, &event);
}

void stroke(QWidget& pad, QPoint from, QPoint to) {
    mouse(pad, QEvent::MouseButtonPress, from);
    mouse(pad, QEvent::MouseMove, to, Qt::LeftButton, Qt::NoButton);
    mouse(pad, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

template <typename Source> int inkCount(const Source& source) {
    int count = 0;
    for (int y = 0; y < SignatureHeight; ++y) {
        for (int x = 0; x < SignatureWidth; ++x)
            count += source.readSignaturePixel(x, y) == SignatureInk;
    }
    return count;
}

// The buttons in their order: CLEAR SIGNATURE, SAVE SITE SURVEY.
QPushButton* button(QDialog& dialog, int index) {
    return dialog.findChildren<QPushButton*>().at(index);
}

TEST(SignOff, SignatureIsReadAfterTheRunHoweverItEndsAndClearWhitensIt) {
    CSignOffDlg dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sign Off On Survey"));
    EXPECT_EQ(button(dialog, 0)->text(), QStringLiteral("CLEAR SIGNATURE"));
    EXPECT_EQ(button(dialog, 1)->text(), QStringLiteral("SAVE SITE SURVEY"));
    EXPECT_FALSE(button(dialog, 0)->isDefault());
    EXPECT_TRUE(button(dialog, 1)->isDefault());

    // No signature: all white.
    test::whileModal([](QDialog& running) { button(running, 1)->click(); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(inkCount(dialog), 0);

    // Closed from the caption: ends as SAVE SITE SURVEY does, ink kept.
    test::whileModal([](QDialog& running) {
        stroke(*static_cast<CSignOffDlg&>(running).pad(), {20, 30}, {120, 30});
        running.close();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    for (int x = 20; x <= 120; ++x)
        ASSERT_EQ(dialog.readSignaturePixel(x, 30), SignatureInk) << x;
    EXPECT_EQ(dialog.readSignaturePixel(20, 40), SignatureWhite);

    // Clear, then save: all white.
    test::whileModal([](QDialog& running) {
        auto& signOff = static_cast<CSignOffDlg&>(running);
        stroke(*signOff.pad(), {10, 10}, {190, 90});
        stroke(*signOff.pad(), {0, 0}, {199, 0});
        button(running, 0)->click();
        button(running, 1)->click();
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(inkCount(dialog), 0);
}

TEST(SignaturePad, DrawsOnlyWhileTheLeftButtonIsHeldOnFromTheLastPoint) {
    CSignaturePad pad(QSize(SignatureWidth, SignatureHeight), nullptr);
    mouse(pad, QEvent::MouseButtonPress, {30, 60}, Qt::RightButton, Qt::RightButton);
    mouse(pad, QEvent::MouseMove, {90, 60}, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(inkCount(pad), 0);

    // Pen down alone leaves a dot; each move goes on from the last point.
    mouse(pad, QEvent::MouseButtonPress, {10, 10});
    EXPECT_EQ(pad.readSignaturePixel(10, 10), SignatureInk);
    EXPECT_LE(inkCount(pad), 9);
    mouse(pad, QEvent::MouseMove, {60, 10}, Qt::LeftButton, Qt::NoButton);
    mouse(pad, QEvent::MouseMove, {60, 70}, Qt::LeftButton, Qt::NoButton);
    for (int x = 10; x <= 60; ++x)
        EXPECT_EQ(pad.readSignaturePixel(x, 10), SignatureInk) << x;
    for (int y = 10; y <= 70; ++y)
        EXPECT_EQ(pad.readSignaturePixel(60, y), SignatureInk) << y;
    // After the release the pen is up again.
    mouse(pad, QEvent::MouseButtonRelease, {60, 70}, Qt::NoButton);
    const int afterStroke = inkCount(pad);
    mouse(pad, QEvent::MouseMove, {150, 20}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(inkCount(pad), afterStroke);
}

TEST(SignaturePad, OnlyPureBlackIsInkAndTheOuterRingIsStoredButNotShown) {
    EXPECT_EQ(signatureValue(qRgb(0, 0, 0)), SignatureInk);
    EXPECT_EQ(signatureValue(qRgba(0, 0, 0, 0)), SignatureInk);
    for (const QRgb pixel :
         {qRgb(1, 0, 0), qRgb(0, 1, 0), qRgb(0, 0, 1), qRgb(128, 128, 128), White})
        EXPECT_EQ(signatureValue(pixel), SignatureWhite) << std::hex << pixel;

    CSignaturePad pad(QSize(SignatureWidth, SignatureHeight), nullptr);
    stroke(pad, {20, 20}, {150, 77});
    QImage shown = test::renderImage(pad);
    int black = 0;
    for (int y = 1; y < shown.height() - 1; ++y) {
        for (int x = 1; x < shown.width() - 1; ++x) {
            const QRgb pixel = shown.pixel(x, y);
            ASSERT_TRUE(pixel == Black || pixel == White) << x << "," << y;
            black += pixel == Black;
            EXPECT_EQ(pad.readSignaturePixel(x, y), pixel == Black ? SignatureInk : SignatureWhite);
        }
    }
    // About twice the stroke's 131 pixels: the pen is 2 pixels wide.
    EXPECT_GT(black, 260);

    stroke(pad, {0, 50}, {30, 50});
    EXPECT_EQ(pad.readSignaturePixel(0, 50), SignatureInk);
    EXPECT_EQ(pad.readSignaturePixel(10, 50), SignatureInk);
    shown = test::renderImage(pad);
    EXPECT_NE(shown.pixel(0, 50), Black);
    EXPECT_EQ(shown.pixel(10, 50), Black);
    EXPECT_EQ(shown.pixel(10, 30), White);
}

TEST(SignaturePad, NothingIsStoredOutsideItsSurfaceWhateverItsSize) {
    for (const QSize size : {QSize(SignatureWidth, SignatureHeight), QSize(120, 60)}) {
        CSignaturePad pad(size, nullptr);
        const int right = size.width() - 1;
        const int bottom = size.height() - 1;
        stroke(pad, {0, 0}, {right, bottom});
        stroke(pad, {60, 30}, {right + 71, 30}); // dragged past the pad's edges
        stroke(pad, {60, 30}, {60, bottom + 36});
        int inside = 0;
        for (int y = 0; y < SignatureHeight; ++y) {
            for (int x = 0; x < SignatureWidth; ++x) {
                const bool ink = pad.readSignaturePixel(x, y) == SignatureInk;
                ASSERT_FALSE(ink && (x > right || y > bottom)) << x << "," << y;
                inside += ink;
            }
        }
        EXPECT_GT(inside, 119);
        for (const QPoint at :
             {QPoint(0, 0), QPoint(right, bottom), QPoint(right, 30), QPoint(60, bottom)})
            EXPECT_EQ(pad.readSignaturePixel(at.x(), at.y()), SignatureInk) << at.x();
        for (const QPoint at :
             {QPoint(-1, 0), QPoint(0, -1), QPoint(right + 1, 0), QPoint(0, bottom + 1),
              QPoint(INT_MIN, INT_MIN), QPoint(INT_MAX, INT_MAX)})
            EXPECT_EQ(pad.readSignaturePixel(at.x(), at.y()), SignatureWhite) << at.x();
    }
}

} // namespace
} // namespace marlow
