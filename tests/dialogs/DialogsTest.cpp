// The dialogs: their captions and buttons, and their layout in dialog units
// scaled with the owner's window so that every control and text fits its
// place; the point dialog's lines, drawing and delete; the sign-off
// dialog's pad and its read-back; the colour legend, the About box and the
// help list, which wraps its entries.
#include "dialogs/Dialogs.h"

#include "base/Version.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/HelpDialog.h"
#include "dialogs/HelpText.h"
#include "dialogs/PointInfoDialog.h"
#include "dialogs/PointInfoText.h"
#include "dialogs/RssiLegendDialog.h"
#include "dialogs/SignOffDialog.h"
#include "dialogs/SignaturePad.h"
#include "sitefile/SiteFormat.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <map>

namespace marlow {
namespace {

constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb White = qRgb(255, 255, 255);

// A window of the given width (240 pixels is the handheld's scale 1), sized
// before the five dialogs it owns are made, and the selection the point
// dialog shows.
struct Owner {
    explicit Owner(int width) { window.resize(width, width * 4 / 3); }
    QWidget window;
};
struct AllDialogs : Owner {
    explicit AllDialogs(int width) : Owner(width) {}
    SiteState site;
    CPointInfoDlg point{&window, site};
    CSignOffDlg signOff{&window};
    CRssiLegendDlg legend{&window};
    CHelpDlg help{&window};
    CAboutDlg about{&window};
};

QImage renderImage(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QStringList labelTexts(const QDialog& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

// At the handheld's width and at one and a half times it. The last button
// is the default one; it ends the dialog with the result.
TEST(Dialogs, CaptionsButtonsDefaultResultsAndEverythingFitsItsPlace) {
    for (const int width : {240, 360}) {
        AllDialogs all(width);
        const std::tuple<QDialog*, const char*, QStringList, int> cases[] = {
            {&all.point, "Location Parms/Delete Request", {"DELETE THIS POINT"}, -2},
            {&all.signOff,
             "Sign Off On Survey",
             {"CLEAR SIGNATURE", "SAVE SITE SURVEY"},
             QDialog::Accepted},
            {&all.legend, "Color of RSSI Values ", {"Close"}, QDialog::Accepted},
            {&all.help, "Marlow Fieldwalk Help", {}, QDialog::Rejected},
            {&all.about, "About Marlow Fieldwalk", {"OK"}, QDialog::Accepted},
        };
        for (const auto& [dialog, caption, buttonTexts, result] : cases) {
            EXPECT_EQ(dialog->windowTitle(), QString::fromLatin1(caption));
            EXPECT_LE(dialog->width(), width) << caption;
            for (const QWidget* control :
                 dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                EXPECT_TRUE(dialog->rect().contains(control->geometry()))
                    << caption << ": " << control->metaObject()->className();
            for (const QLabel* label : dialog->findChildren<QLabel*>())
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
                    << label->text().toStdString();
            const QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
            QStringList texts;
            for (const QPushButton* button : buttons) {
                texts << button->text();
                EXPECT_EQ(button->isDefault(), button == buttons.back()) << caption;
            }
            EXPECT_EQ(texts, buttonTexts) << caption;
            if (!buttons.isEmpty())
                buttons.back()->click();
            EXPECT_EQ(dialog->result(), result) << caption;
        }
        // The pad is the stored 200 x 100 area at every scale.
        EXPECT_EQ(all.signOff.pad()->size(), QSize(200, 100));
        // Closing the point dialog asks for no delete.
        all.point.open();
        all.point.close();
        EXPECT_EQ(all.point.result(), QDialog::Rejected);
    }
}

// The selection's lines, each cut to 63 characters and fields read only to
// their end.
TEST(PointInfoDialog, LinesOfTheSelectionCutToTheirBuffers) {
    SiteState site;
    site.selX = 120;
    site.selY = 45;
    site.selApCount = 3;
    setText(site.selBestMacText, "001100000002");
    setText(site.selBestSsid, "office");
    site.selBestRssi = -58;
    const PointInfoText t = pointInfoText(site);
    EXPECT_EQ(t.x + "|" + t.y + "|" + t.apCount + "|" + t.mac + "|" + t.ssid + "|" + t.rssi,
              "X: 120.00|Y: 45.00|AP's: 3|MAC Address: 001100000002|SSID: office|RSSI: -58");
    EXPECT_EQ(ssidLine(std::string(200, 's')), "SSID: " + std::string(57, 's'));
    EXPECT_EQ(xLine(1e300).size(), 63u);
    EXPECT_EQ(xLine(1e300).rfind("X: 1000000", 0), 0u);
    std::memset(site.selBestMacText, 'M', sizeof site.selBestMacText);
    std::memset(site.selBestSsid, 'S', sizeof site.selBestSsid);
    site.lastBestRssi = 0x5A5A; // what lies behind the SSID field must not show
    const PointInfoText text = pointInfoText(site);
    EXPECT_EQ(text.mac, "MAC Address: " + std::string(sizeof site.selBestMacText, 'M'));
    EXPECT_EQ(text.ssid, "SSID: " + std::string(sizeof site.selBestSsid, 'S'));
}

TEST(PointInfoDialog, BlueRulesAndTextsInTheirRectanglesAtTwoScales) {
    const QRgb Blue = qRgb(0, 0, 255);
    for (const int s : {1, 2}) {
        AllDialogs all(240 * s);
        const QImage image = renderImage(all.point);
        // Rules 2 layout pixels high from x 7 to 232, with no blue around them.
        for (const int top : {20, 60, 100, 210}) {
            const int y = top * s;
            EXPECT_EQ(image.pixel(7 * s, y), Blue) << top;
            EXPECT_EQ(image.pixel(233 * s - 1, y + 2 * s - 1), Blue) << top;
            EXPECT_NE(image.pixel(7 * s - 1, y), Blue) << top;
            EXPECT_NE(image.pixel(233 * s, y), Blue) << top;
            EXPECT_NE(image.pixel(100 * s, y - 1), Blue) << top;
            EXPECT_NE(image.pixel(100 * s, y + 2 * s), Blue) << top;
        }
        // Dark pixels in a rectangle of the 240-pixel layout.
        const auto dark = [&](const QRect& r) {
            int count = 0;
            for (int y = r.top() * s; y < (r.bottom() + 1) * s; ++y) {
                for (int x = r.left() * s; x < (r.right() + 1) * s; ++x)
                    count += image.valid(x, y) && qGray(image.pixel(x, y)) < 128;
            }
            return count;
        };
        for (const QRect& text :
             {QRect(7, 5, 148, 14), QRect(7, 25, 70, 14), QRect(127, 25, 70, 14),
              QRect(7, 45, 108, 14), QRect(7, 65, 70, 14), QRect(7, 85, 108, 14),
              QRect(7, 105, 230, 14), QRect(7, 125, 230, 14), QRect(7, 145, 230, 24)})
            EXPECT_GT(dark(text), 10) << "text at " << text.y();
        // Nothing beside the Y, nor between the last text and the last rule.
        EXPECT_EQ(dark(QRect(80, 25, 45, 14)), 0);
        EXPECT_EQ(dark(QRect(0, 170, 240, 40)), 0);
    }
}

void mouse(QWidget& pad, QEvent::Type type, QPoint at, Qt::MouseButtons held = Qt::LeftButton,
           Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent event(type, QPointF(at), QPointF(pad.mapToGlobal(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(&pad, &event);
}

void stroke(QWidget& pad, QPoint from, QPoint to) {
    mouse(pad, QEvent::MouseButtonPress, from);
    mouse(pad, QEvent::MouseMove, to, Qt::LeftButton, Qt::NoButton);
    mouse(pad, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

// Ink read back within the area, by default the stored 200 x 100.
template <typename Source>
int inkIn(const Source& source, QRect area = {0, 0, SignatureWidth, SignatureHeight}) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += source.readSignaturePixel(x, y) == SignatureInk;
    }
    return count;
}

// "1" for ink, "0" for white, at each point.
template <typename Source> std::string inkAt(const Source& source, std::vector<QPoint> points) {
    std::string out;
    for (const QPoint p : points)
        out += source.readSignaturePixel(p.x(), p.y()) == SignatureInk ? '1' : '0';
    return out;
}

TEST(SignOff, SignatureIsReadAfterTheDialogClosesHoweverItEndsAndClearWhitensIt) {
    AllDialogs all(240);
    CSignOffDlg& dialog = all.signOff;
    const QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>(); // clear, save
    // No signature: all white.
    dialog.open();
    buttons[1]->click();
    EXPECT_EQ(inkIn(dialog), 0);

    // Closed from the caption: ends as SAVE SITE SURVEY does, ink kept.
    dialog.open();
    stroke(*dialog.pad(), {20, 30}, {120, 30});
    dialog.close();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(inkAt(dialog, {{20, 30}, {70, 30}, {120, 30}, {20, 40}}), "1110");

    // Clear, then save: all white.
    dialog.open();
    stroke(*dialog.pad(), {10, 10}, {190, 90});
    stroke(*dialog.pad(), {0, 0}, {199, 0});
    buttons[0]->click();
    buttons[1]->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(inkIn(dialog), 0);
}

TEST(SignOff, PadDrawsOnlyWhileTheButtonIsHeldInPureBlackAndStoresTheUnshownRing) {
    EXPECT_EQ(signatureValue(qRgb(0, 0, 0)), SignatureInk);
    EXPECT_EQ(signatureValue(qRgba(0, 0, 0, 0)), SignatureInk);
    for (const QRgb pixel :
         {qRgb(1, 0, 0), qRgb(0, 1, 0), qRgb(0, 0, 1), qRgb(128, 128, 128), White})
        EXPECT_EQ(signatureValue(pixel), SignatureWhite) << std::hex << pixel;

    CSignaturePad pad(QSize(SignatureWidth, SignatureHeight), nullptr);
    // Each move goes on from the last point; after the release the pen is up.
    mouse(pad, QEvent::MouseButtonPress, {10, 10});
    mouse(pad, QEvent::MouseMove, {60, 10}, Qt::LeftButton, Qt::NoButton);
    mouse(pad, QEvent::MouseMove, {60, 70}, Qt::LeftButton, Qt::NoButton);
    mouse(pad, QEvent::MouseButtonRelease, {60, 70}, Qt::NoButton);
    mouse(pad, QEvent::MouseMove, {150, 20}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(inkAt(pad, {{35, 10}, {60, 40}, {105, 45}}), "110");

    // The 2-pixel pen through the outer ring: stored, but the ring not shown.
    stroke(pad, {0, 50}, {30, 50});
    EXPECT_EQ(inkAt(pad, {{0, 49}, {0, 50}, {10, 48}, {10, 51}}), "1100");
    const QImage shown = renderImage(pad);
    EXPECT_EQ(std::tuple(shown.pixel(0, 50) != Black, shown.pixel(10, 50), shown.pixel(10, 30)),
              std::tuple(true, Black, White));
}

// A pad smaller than the stored area stores white beyond its edges.
TEST(SignOff, NothingIsStoredOutsideASmallerPad) {
    CSignaturePad pad(QSize(120, 60), nullptr);
    stroke(pad, {0, 0}, {119, 59});
    stroke(pad, {60, 30}, {190, 30}); // dragged past the pad's edges
    stroke(pad, {60, 30}, {60, 95});
    EXPECT_GT(inkIn(pad), 119);
    EXPECT_EQ(inkIn(pad), inkIn(pad, {0, 0, 120, 60}));
    EXPECT_EQ(inkAt(pad, {{0, 0},
                          {119, 59},
                          {119, 30},
                          {60, 59},
                          {-1, 0},
                          {0, -1},
                          {120, 30},
                          {60, 60},
                          {INT_MIN, INT_MIN},
                          {INT_MAX, INT_MAX}}),
              "1111000000");
}

TEST(Dialogs, LegendSwatchesInTheMarkColorsBesideTheirLabelsAndTheAboutBox) {
    AllDialogs all(240);
    const QImage image = renderImage(all.legend);
    const QList<QLabel*> labels = all.legend.findChildren<QLabel*>();
    EXPECT_EQ(labelTexts(all.legend),
              (QStringList{"greater than -39 dBm", "-40 thru -49 dBm", "-50 thru -59 dBm",
                           "-60 thru -69 dBm", "-70 thru -79 dBm", "-80 thru -89 dBm"}));
    const QRgb bandColors[] = {qRgb(255, 0, 0), qRgb(255, 128, 0), qRgb(255, 255, 0),
                               qRgb(0, 255, 0), qRgb(0, 0, 255),   Black};
    for (std::size_t band = 0; band < RssiBands.size(); ++band) {
        const CColorSwatch& swatch = *all.legend.swatches()[band];
        const QRect r = swatch.geometry();
        EXPECT_EQ(image.pixel(r.topLeft()), bandColors[band]) << band;
        EXPECT_EQ(image.pixel(r.bottomRight()), bandColors[band]) << band;
        EXPECT_NE(image.pixel(r.left() - 1, r.top()), bandColors[band]) << band;
        EXPECT_NE(image.pixel(r.right() + 1, r.bottom()), bandColors[band]) << band;
        EXPECT_EQ(labels[qsizetype(band)]->y(), r.y()) << band;
    }
    // The icon's label first.
    EXPECT_FALSE(all.about.iconLabel()->pixmap().isNull());
    EXPECT_EQ(labelTexts(all.about),
              (QStringList{"", QStringLiteral("Marlow Fieldwalk v") + ProgramVersion,
                           "Copyright (C) 2026", "All rights reserved."}));
}

// The guide's headings, numbered from 1, with a blank entry before each
// section's text.
// clang-format off
const std::map<int, std::string> Headings = {
    {1, "Help Contents"}, {2, ""}, {3, "Overview"}, {4, ""}, {9, "Quick Start"},
    {15, "OPEN A SITE FILE"}, {19, "START SURVEY"}, {24, "COMPLETE SURVEY"},
    {29, "Status Bar (Bottom)"}, {32, "Command Bar"}, {45, "Zoom Mode"}, {49, "Scroll Bars"},
    {53, "Keys"}, {59, "Color Codes"}, {63, "Survey Information Screen"},
    {71, "Point Information"}, {75, "Surveying Tips"}, {81, "Unsaved Points"}, {82, ""}};
// clang-format on

TEST(HelpDialog, ListHoldsEveryEntryInOrderAndTellsTheMouseAndTheKeys) {
    AllDialogs all(240);
    QListWidget& list = *all.help.list();
    ASSERT_EQ(list.count(), HelpLineCount);
    ASSERT_EQ(HelpLineCount, 83);
    EXPECT_FALSE(list.isSortingEnabled());
    QString guide;
    for (int i = 0; i < list.count(); ++i)
        guide += list.item(i)->text() + '\n';
    for (const auto& [number, text] : Headings)
        EXPECT_EQ(list.item(number - 1)->text().toStdString(), text) << number;
    for (const char* told :
         {"right-click", "Return, Enter or Space", "cross-hair", "Escape gives up the point",
          "not answering. A tap or Escape then returns to the map", "Ctrl+O", "Ctrl+S", "F1",
          "Ctrl+Q", "4,096", "There are 7 commands"})
        EXPECT_TRUE(guide.contains(QString::fromLatin1(told))) << told;
}

// At the handheld's width and at twice it, every entry is wrapped within
// the list: no line is wider than the list, every wrapped line is shown in
// full, and nothing scrolls sideways.
TEST(HelpDialog, EntriesWrapToTheListsWidthAtTwoScales) {
    for (const int width : {240, 480}) {
        AllDialogs all(width);
        QListWidget& list = *all.help.list();
        EXPECT_EQ(list.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(list.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        all.help.show();
        QApplication::processEvents();
        const int viewportWidth = list.viewport()->width();
        const int margin =
            list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
        int wrapped = 0;
        for (int i = 0; i < list.count(); ++i) {
            const QListWidgetItem& item = *list.item(i);
            const QRect shown = list.visualItemRect(&item);
            const QRect text = list.fontMetrics().boundingRect(
                QRect(0, 0, shown.width() - 2 * margin, 100000), Qt::TextWordWrap, item.text());
            EXPECT_LE(shown.width(), viewportWidth) << width << ": " << i + 1;
            EXPECT_LE(text.width(), shown.width() - 2 * margin) << width << ": " << i + 1;
            EXPECT_GE(shown.height(), text.height()) << width << ": " << i + 1;
            wrapped += text.height() > 2 * list.fontMetrics().height();
        }
        EXPECT_GT(wrapped, 10) << width;
        EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0) << width;
        EXPECT_GT(list.verticalScrollBar()->maximum(), 0) << width;
        all.help.hide();
    }
}

} // namespace
} // namespace marlow
