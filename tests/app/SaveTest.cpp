// Saving the survey: Save Site Data through the sign-off dialog, before any
// site is open and when the file cannot be written, and the full rewrite
// with and without its temporary floor-plan file.
#include "AppHarness.h"
#include "SiteFixtures.h"
#include "sitefile/SiteFormat.h"
#include "sitefile/SiteReader.h"
#include "store/Lists.h"
#include "view/widget/CommandIds.h"

#include <QDateTime>
#include <filesystem>
#include <gtest/gtest.h>

namespace marlow::test {
namespace {

struct StoredRecord {
    std::int32_t x;
    std::int32_t y;
    std::int32_t rssi;
    std::int16_t channel;
    std::string mac;
    bool operator==(const StoredRecord&) const = default;
};

void PrintTo(const StoredRecord& r, std::ostream* out) {
    *out << "(" << r.x << ", " << r.y << ") " << r.rssi << " dBm ch " << r.channel << " " << r.mac;
}

std::vector<StoredRecord> pointsIn(const std::string& path) {
    const OpenResult opened = openSite(path);
    EXPECT_FALSE(opened.error) << opened.error.message;
    RecordList store;
    loadPoints(opened.site, store, {});
    std::vector<StoredRecord> records;
    for (const SurveyRecord& r : store)
        records.push_back({r.x, r.y, r.rssi, r.channel, r.macText});
    return records;
}

struct Save : ::testing::Test {
    TempDir dir;
    TestProgram program;
    CMarlowView& view = program.view();

    // A site of 60 x 40 whose store then holds two points.
    std::string openSiteWithTwoPoints() {
        const std::string site = makeBandSite(dir, "site.tws", 60, 40);
        EXPECT_TRUE(view.openSiteFile(site));
        appendRecord(SurveyStore, apRecord(10, 12, 1, -48, "lab", 6));
        appendRecord(SurveyStore, apRecord(10, 12, 2, -71, "guest", 11));
        appendRecord(SurveyStore, committedPlaceholder(50, 30));
        program.boxes.shown.clear();
        return site;
    }
};

const std::vector<StoredRecord> TwoPoints = {
    {10, 12, -48, 6, apRecord(0, 0, 1, 0).macText},
    {10, 12, -71, 11, apRecord(0, 0, 2, 0).macText},
    {50, 30, -100, 0, "000000000000"},
};

TEST_F(Save, SaveSiteDataWritesTheStoreAfterTheSignOff) {
    const std::string site = openSiteWithTwoPoints();
    const auto before = static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch());
    const auto watch = clickInNextModal(QStringLiteral("SAVE SITE SURVEY"));
    view.dispatchCommand(command::SaveSiteData);
    EXPECT_TRUE(watch->acted());
    EXPECT_TRUE(program.boxes.shown.empty());

    EXPECT_EQ(pointsIn(site), TwoPoints);
    HeaderBytes header{};
    const Bytes bytes = readBytes(site);
    std::copy_n(bytes.begin(), header.size(), header.begin());
    const SiteHeaderFields fields = decodeHeader(header);
    EXPECT_EQ(fields.statusByte, 0);
    EXPECT_GE(fields.saveTime, before);
    EXPECT_LE(fields.saveTime, before + 60);
}

TEST_F(Save, BeforeAnySiteTheSignOffThenTheFailureAndNothingWritten) {
    const std::vector<std::string> before = dir.entries();
    const auto watch = clickInNextModal(QStringLiteral("SAVE SITE SURVEY"));
    view.dispatchCommand(command::SaveSiteData);
    EXPECT_TRUE(watch->acted());
    ASSERT_EQ(program.boxes.shown.size(), 1u);
    const MessageBoxRequest& box = program.boxes.shown.front();
    EXPECT_EQ(box.text, "Could not update site");
    EXPECT_EQ(box.caption, "Site Update Error");
    EXPECT_EQ(box.icon, BoxIcon::Error);
    EXPECT_FALSE(box.detail.empty());
    EXPECT_EQ(dir.entries(), before);

    // The full rewrite likewise.
    view.dispatchCommand(command::FullRewrite);
    EXPECT_EQ(program.boxTexts(),
              (std::vector<std::string>{"Could not update site", "Could not update site"}));
}

TEST_F(Save, FullRewriteTakesTheFloorPlanFromTheTemporaryFile) {
    const std::string site = openSiteWithTwoPoints();
    TempDir temporary;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray::fromStdString(temporary.path()));

    // Without tmpsite.bmp: the failure box, the file untouched.
    const Bytes before = readBytes(site);
    view.dispatchCommand(command::FullRewrite);
    EXPECT_EQ(program.boxTexts(), std::vector<std::string>{"Could not update site"});
    EXPECT_EQ(readBytes(site), before);

    // With the floor plan of the file: the same plan, the store's points.
    const std::uint32_t bitmapOffset = decodeHeader(view.site()->header).bitmapOffset;
    writeBytes(temporary.file("tmpsite.bmp"),
               Bytes(before.begin() + bitmapOffset,
                     before.begin() + bitmapOffset + view.site()->bitmapSize));
    program.boxes.shown.clear();
    view.dispatchCommand(command::FullRewrite);
    EXPECT_TRUE(program.boxes.shown.empty());
    const OpenResult reopened = openSite(site);
    ASSERT_FALSE(reopened.error) << reopened.error.message;
    EXPECT_EQ(reopened.site.bitmap.pixels, bandPlan(60, 40).pixels);
    // Every record is an access-point record of its point in this format.
    std::vector<StoredRecord> expected = TwoPoints;
    expected[2].rssi = 0;
    EXPECT_EQ(pointsIn(site), expected);

    if (oldTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", oldTmp);
}

} // namespace
} // namespace marlow::test
