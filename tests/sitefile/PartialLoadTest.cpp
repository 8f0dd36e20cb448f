// Loading the stored points: longer headers and records than this program
// writes, data sections cut short anywhere, and points loaded as stored.
#include "SiteBytes.h"
#include "sitefile/SurveyData.h"

#include <gtest/gtest.h>

namespace marlow {
namespace {

using test::Bytes;
using test::Loaded;
using test::Marks;

// A new 13 x 7 site as bytes.
class PartialLoad : public ::testing::Test {
protected:
    void SetUp() override {
        test::makeSite(dir.file("site.tws"));
        site.bytes = test::readBytes(dir.file("site.tws"));
    }
    test::TempDir dir;
    test::SiteBytes site;
};

// A longer header and longer stored records: their known leading bytes are
// used and the rest skipped.
TEST_F(PartialLoad, LoadsAccessPointsAndPlaceholdersAsRunsWithTheirMarks) {
    // 50 more header bytes: every offset moves along with the regions.
    site.bytes.insert(site.bytes.begin() + 150, 50, 0x5A);
    site.set32(header::HeaderLength, 200);
    for (std::size_t field : {header::BitmapOffset, header::SignatureOffset, header::DataOffset})
        site.set32(field, site.u32(field) + 50);
    const std::size_t data = site.u32(header::DataOffset);
    site.set32(data, 50);
    site.set32(data + 4, 45);
    site.point(100, 200, "P1", 2, 50);
    site.ap(6, 0xC400, 1, "lab", 45);
    site.ap(11, 0xC401, 2, std::string(32, 'W'), 45); // -59 after rounding toward zero
    site.point(300, 40, "EMPTY", 0, 50);
    site.point(300, 40, "SAME", 1, 50); // same place: the run continues
    site.ap(1, 0xB000, 3, "", 45);
    const Loaded loaded(dir, site);
    ASSERT_TRUE(loaded.result) << loaded.result.error().message;
    EXPECT_EQ(loaded.result->bitmap.row(0)[5], 5);
    // The point stored without access points loads as a placeholder.
    EXPECT_EQ(test::describe(loaded.store),
              (std::vector<std::string>{"P1 100,200 AABBCCDDEE01 6 -60 lab",
                                        "P1 100,200 AABBCCDDEE02 11 -59 " + std::string(32, 'W'),
                                        "EMPTY 300,40 000000000000 0 -100 ",
                                        "SAME 300,40 AABBCCDDEE03 1 -80 "}));
    EXPECT_EQ(loaded.marks, (Marks{{100, 200, -59}, {300, 40, -120}, {300, 40, -80}}));
}

// A file cut short loads its complete records and says that it ends early,
// counting points as runs of records at one position.
TEST_F(PartialLoad, DataCutShortLoadsUpToTheLastCompleteRecordAndSaysSo) {
    const std::size_t signature = site.u32(header::SignatureOffset);
    const std::size_t data = site.u32(header::DataOffset);
    site.point(1, 1, "A", 1);
    site.ap(6, 0xC400, 1, "a");
    site.point(2, 2, "B", 0);
    site.point(2, 2, "C", 1); // at B's place: the same point
    site.ap(6, 0xD800, 2, "c");
    site.point(3, 3, "D", 3); // announces three
    site.ap(6, 0xD800, 3, "d");
    site.ap(6, 0xE200, 4, "e"); // cut off in every case
    const std::size_t end = site.bytes.size();
    const Marks all = {{1, 1, -60}, {2, 2, -120}, {2, 2, -40}, {3, 3, -40}};
    // The length the file is cut to, the records loaded, the marks, the
    // points and whether the file ends early.
    const std::tuple<std::size_t, std::size_t, Marks, std::size_t, bool> cases[] = {
        {signature, 0, {}, 0, true},                        // a whole signature block short
        {signature + 100, 0, {}, 0, true},                  // inside the signature block
        {data, 0, {}, 0, false},                            // no data section
        {data + 4, 0, {}, 0, true},                         // half of its record sizes
        {data + 8, 0, {}, 0, false},                        // the sizes only
        {end - 20, 4, all, 3, true},                        // D holds one and a half records
        {end - 82, 3, {all[0], all[1], all[2]}, 2, true},   // none of D's records arrived
        {end - 82 - 42 - 10, 2, {all[0], all[1]}, 2, true}, // C's record cut
    };
    for (const auto& [length, records, marks, points, endsEarly] : cases) {
        test::SiteBytes cut = site;
        cut.bytes.resize(length);
        const Loaded loaded(dir, cut);
        ASSERT_TRUE(loaded.result) << length;
        EXPECT_EQ(std::tuple(loaded.store.size(), loaded.result->points.pointCount,
                             loaded.result->points.endsEarly),
                  std::tuple(records, points, endsEarly))
            << length;
        EXPECT_EQ(loaded.marks, marks) << length;
    }
}

// Points at one position that Save Site Data keeps apart (a point where
// nothing was heard, then points with access points) load as records that
// it writes back as the same points, byte for byte; the plain load's records
// would join them into one.
TEST_F(PartialLoad, PointsLoadedAsStoredSaveAsTheSamePoints) {
    const std::size_t data = site.u32(header::DataOffset) + 8;
    site.point(1, 1, "A", 1);
    site.ap(6, 0xC400, 1, "a");
    site.point(2, 2, "EMPTY", 0);
    site.point(2, 2, "B", 2);
    site.ap(6, 0xD800, 2, "b");
    site.ap(11, 0xD900, 3, "");
    site.point(2, 2, "C", 1);
    site.ap(1, 0xE200, 4, "c");
    site.point(3, 3, "D", 1);
    site.ap(6, 0xE200, 5, "d");
    const Loaded loaded(dir, site);
    ASSERT_TRUE(loaded.result);
    RecordList asStored;
    loadPointsAsStored(*loaded.result, asStored);
    const Bytes section(site.bytes.begin() + static_cast<std::ptrdiff_t>(data), site.bytes.end());
    const Bytes saved = encodeSurveyData(asStored, SplitRule::SaveSiteData);
    EXPECT_EQ(Bytes(saved.begin() + 8, saved.end()), section);
    EXPECT_LT(encodeSurveyData(loaded.store, SplitRule::SaveSiteData).size(), saved.size());
}

} // namespace
} // namespace marlow
