// The point dialog: its lines as the selection produces them and cut to
// their 64-character buffers, its drawing rendered at the handheld's scale
// and at twice that, the delete, and closing without a change.
#include "dialogs/PointInfoDialog.h"

#include "DialogTestSupport.h"
#include "SiteFixtures.h"
#include "dialogs/Dialogs.h"
#include "dialogs/PointInfoText.h"
#include "measure/Measurement.h"

#include <QPushButton>
#include <climits>
#include <cstring>

namespace marlow {
namespace {

using test::appendRecord;
using test::apRecord;

std::string joined(const PointInfoText& t) {
    return t.x + "|" + t.y + "|" + t.apCount + "|" + t.mac + "|" + t.ssid + "|" + t.rssi;
}

TEST(PointInfoText, NormalPlaceholderAndVeryWeakPoints) {
    const struct {
        std::vector<SurveyRecord> records;
        QPoint tap;
        std::string expected;
    } cases[] = {
        // Equally strong but later in the store: the first one stays shown.
        {{apRecord(10, 10, 0x09, -50, "elsewhere"), apRecord(120, 45, 0x01, -71, "lab"),
          apRecord(120, 45, 0x02, -58, "office"), apRecord(120, 45, 0x03, -58, "later"),
          apRecord(200, 45, 0x04, -30, "next")},
         {121, 44},
         "X: 120.00|Y: 45.00|AP's: 3|MAC Address: 001100000002|SSID: office|RSSI: -58"},
        {{test::committedPlaceholder(30, 40)},
         {30, 40},
         "X: 30.00|Y: 40.00|AP's: 1|MAC Address: 000000000000|SSID: FILL|RSSI: 0"},
        {{apRecord(5, 6, 0x01, -120, "faint"), apRecord(5, 6, 0x02, -125, "fainter")},
         {5, 6},
         "X: 5.00|Y: 6.00|AP's: 2|MAC Address: |SSID: |RSSI: -120"},
    };
    for (const auto& c : cases) {
        SiteState site;
        RecordList store;
        for (const SurveyRecord& record : c.records)
            appendRecord(store, record);
        ASSERT_TRUE(selectNearestPoint(site, store, c.tap.x(), c.tap.y()));
        EXPECT_EQ(joined(pointInfoText(site)), c.expected);
    }
    EXPECT_EQ(xLine(2.345678), "X: 2.35");
    EXPECT_EQ(yLine(-7), "Y: -7.00");
    EXPECT_EQ(rssiLine(INT32_MIN), "RSSI: -2147483648");
}

TEST(PointInfoText, LinesAreCutToSixtyThreeCharactersAndFieldsReadOnlyToTheirEnd) {
    EXPECT_EQ(ssidLine(std::string(200, 's')), "SSID: " + std::string(57, 's'));
    EXPECT_EQ(macLine(std::string(200, 'A')).size(), 63u);
    EXPECT_EQ(xLine(1e300).size(), 63u);
    EXPECT_EQ(xLine(1e300).rfind("X: 1000000", 0), 0u);

    SiteState site;
    std::memset(site.selBestMacText, 'M', sizeof site.selBestMacText);
    std::memset(site.selBestSsid, 'S', sizeof site.selBestSsid);
    site.header.fill('Z'); // what lies behind the SSID field must not show
    const PointInfoText text = pointInfoText(site);
    EXPECT_EQ(text.mac, "MAC Address: " + std::string(sizeof site.selBestMacText, 'M'));
    EXPECT_EQ(text.ssid, "SSID: " + std::string(sizeof site.selBestSsid, 'S'));
}

// Dark pixels in a rectangle of the 240-pixel layout, at scale s.
int darkPixels(const QImage& image, int s, const QRect& r) {
    int count = 0;
    for (int y = r.top() * s; y < (r.bottom() + 1) * s; ++y) {
        for (int x = r.left() * s; x < (r.right() + 1) * s; ++x)
            count += image.valid(x, y) && qGray(image.pixel(x, y)) < 128;
    }
    return count;
}

class PointDialogDrawing : public testing::TestWithParam<int> {};

TEST_P(PointDialogDrawing, BlueRulesAndTextsInTheirRectangles) {
    const int s = GetParam();
    const auto owner = test::makeOwner(240 * s);
    SiteState site;
    RecordList store;
    appendRecord(store, apRecord(120, 45, 0x02, -58, "office"));
    ASSERT_TRUE(selectNearestPoint(site, store, 120, 45));
    CPointInfoDlg dialog(owner.get(), site, store);
    const QImage image = test::renderImage(dialog);
    // Rules 2 layout pixels high from x 7 to 232, with no blue around them.
    for (const int top : {20, 60, 100, 210}) {
        for (int y = top * s - 1; y <= (top + 2) * s; ++y) {
            for (int x = 7 * s - 1; x <= 233 * s; ++x) {
                const bool rule = y >= top * s && y < (top + 2) * s && x >= 7 * s && x < 233 * s;
                ASSERT_EQ(image.pixel(x, y) == qRgb(0, 0, 255), rule) << x << "," << y;
            }
        }
    }
    for (const QRect& text :
         {QRect(7, 5, 148, 14), QRect(7, 25, 70, 14), QRect(127, 25, 70, 14), QRect(7, 45, 108, 14),
          QRect(7, 65, 70, 14), QRect(7, 85, 108, 14), QRect(7, 105, 230, 14),
          QRect(7, 125, 230, 14), QRect(7, 145, 230, 24)})
        EXPECT_GT(darkPixels(image, s, text), 10) << "text at " << text.y();
    // Nothing beside the Y, nor between the last text and the last rule.
    EXPECT_EQ(darkPixels(image, s, QRect(80, 25, 45, 14)), 0);
    EXPECT_EQ(darkPixels(image, s, QRect(0, 170, 240, 40)), 0);
}

INSTANTIATE_TEST_SUITE_P(Scales, PointDialogDrawing, testing::Values(1, 2));

std::vector<int> storedMacTails(const RecordList& store) {
    std::vector<int> tails;
    for (const SurveyRecord& r : store)
        tails.push_back(r.macAddr[5]);
    return tails;
}

TEST(PointDialogRun, CloseChangesNothingAndDeleteRemovesExactlyTheSelectedRun) {
    SiteState site;
    RecordList store;
    // The last record, at the selected place again, is a run of its own.
    const QPoint places[] = {{10, 10},   {10, 10},  {100, 100}, {100, 100},
                             {100, 100}, {300, 10}, {100, 100}};
    for (int i = 0; i < 7; ++i)
        appendRecord(store, apRecord(places[i].x(), places[i].y(), std::uint8_t(i + 1), -50));
    site.locationCount = 4;
    site.apRecordCount = 7;
    ASSERT_TRUE(selectNearestPoint(site, store, 101, 99));
    ASSERT_EQ(site.selApCount, 3);
    test::whileModal([](QDialog& dialog) { dialog.close(); });
    EXPECT_NE(runPointInfoDialog(nullptr, site, store), PointDeleted);
    EXPECT_EQ(storedMacTails(store), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    test::whileModal(
        [](QDialog& dialog) { static_cast<CPointInfoDlg&>(dialog).deleteButton()->click(); });
    EXPECT_EQ(runPointInfoDialog(nullptr, site, store), PointDeleted);
    EXPECT_EQ(storedMacTails(store), (std::vector<int>{1, 2, 6, 7}));
    EXPECT_EQ(site.locationCount, 4);
    EXPECT_EQ(site.apRecordCount, 7);
}

} // namespace
} // namespace marlow
