// Opening site files and loading their points, including damaged files.
#include "sitefile/SiteReader.h"

#include "SiteFixtures.h"
#include "sitefile/ByteOrder.h"
#include "sitefile/SiteFormat.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace marlow {
namespace {

using test::Bytes;

// A site file as bytes, with helpers to patch fields and append stored points.
struct SiteBytes {
    Bytes bytes;

    explicit SiteBytes(const test::TempDir& dir, int width = 13, int height = 7) {
        test::makeSite(dir.file("made.tws"), width, height);
        bytes = test::readBytes(dir.file("made.tws"));
    }
    std::uint32_t u32(std::size_t at) const { return readU32(&bytes[at]); }
    void set32(std::size_t at, std::uint32_t v) { writeU32(&bytes[at], v); }
    void set16(std::size_t at, std::uint16_t v) { writeU16(&bytes[at], v); }
    std::size_t bitmapInfo() const { return u32(header::BitmapOffset) + BitmapFileHeaderSize; }

    void point(std::int32_t x, std::int32_t y, const std::string& name, std::uint16_t count,
               std::size_t size = 42) {
        Bytes rec(size, 0xEE);
        writeI32(&rec[0], x);
        writeI32(&rec[4], y);
        std::memset(&rec[8], 0, 32);
        std::memcpy(&rec[8], name.data(), std::min<std::size_t>(name.size(), 32));
        writeU16(&rec[40], count);
        bytes.insert(bytes.end(), rec.begin(), rec.end());
    }
    void ap(std::uint8_t channel, std::uint16_t storedRssi, std::uint8_t macTail,
            const std::string& ssid, std::size_t size = 41) {
        Bytes rec(size, 0xEE);
        rec[0] = channel;
        writeU16(&rec[1], storedRssi);
        const std::uint8_t mac[6] = {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, macTail};
        std::memcpy(&rec[3], mac, 6);
        std::memset(&rec[9], 0, 32);
        std::memcpy(&rec[9], ssid.data(), std::min<std::size_t>(ssid.size(), 32));
        bytes.insert(bytes.end(), rec.begin(), rec.end());
    }
};

struct Loaded {
    OpenResult result;
    RecordList store;
    std::vector<std::tuple<int, int, int>> marks;
};

void openAndLoad(const test::TempDir& dir, const SiteBytes& site, Loaded& out) {
    const std::string path = dir.file("site.tws");
    test::writeBytes(path, site.bytes);
    out.result = openSite(path);
    if (!out.result.error)
        loadPoints(out.result.site, out.store,
                   [&](int x, int y, int rssi) { out.marks.emplace_back(x, y, rssi); });
}

std::string openError(const test::TempDir& dir, const SiteBytes& site) {
    Loaded loaded;
    openAndLoad(dir, site, loaded);
    return loaded.result.error.message;
}

TEST(SiteReader, NewSiteOpensWithItsPlanAndNoPoints) {
    test::TempDir dir;
    Loaded loaded;
    openAndLoad(dir, SiteBytes(dir), loaded);
    ASSERT_FALSE(loaded.result.error) << loaded.result.error.message;
    const SiteBitmap& plan = loaded.result.site.bitmap;
    EXPECT_EQ(plan.width, 13);
    EXPECT_EQ(plan.height, 7);
    EXPECT_EQ(plan.row(0)[1], 1);
    EXPECT_EQ(plan.row(6)[12], (12 + 18) % 256);
    EXPECT_EQ(plan.rgb(200), 0xC8C8C8u);
    EXPECT_EQ(loaded.result.site.state.bitmapSize, 1078u + 16 * 7);
    EXPECT_TRUE(loaded.store.empty());
    EXPECT_TRUE(loaded.marks.empty());
}

TEST(SiteReader, LoadsAccessPointsAndPlaceholdersAsRunsWithTheirMarks) {
    test::TempDir dir;
    SiteBytes site(dir);
    site.point(100, 200, "P1", 2);
    site.ap(6, 0xC400, 1, "lab");
    site.ap(11, 0xC401, 2, std::string(32, 'W')); // -59 after rounding toward zero
    site.point(300, 40, "EMPTY", 0);
    site.point(300, 40, "SAME", 1); // same place: the run continues
    site.ap(1, 0xB000, 3, "");
    Loaded loaded;
    openAndLoad(dir, site, loaded);
    ASSERT_FALSE(loaded.result.error);

    std::vector<const SurveyRecord*> r;
    for (const SurveyRecord& record : loaded.store)
        r.push_back(&record);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_STREQ(r[0]->macText, "AABBCCDDEE01");
    EXPECT_EQ(r[0]->rssi, -60);
    EXPECT_EQ(r[0]->channel, 6);
    EXPECT_STREQ(r[0]->pointName, "P1");
    EXPECT_EQ(r[1]->rssi, -59);
    EXPECT_EQ(textOf(r[1]->ssid), std::string(32, 'W'));

    // The placeholder of a point stored without access points.
    EXPECT_EQ(r[2]->x, 300);
    EXPECT_EQ(r[2]->channel, 0);
    EXPECT_EQ(r[2]->rssi, -100);
    EXPECT_STREQ(r[2]->macText, "000000000000");
    EXPECT_STREQ(r[2]->ssid, "");
    EXPECT_STREQ(r[2]->pointName, "EMPTY");
    EXPECT_EQ(r[3]->rssi, -80);

    EXPECT_EQ(loaded.marks, (std::vector<std::tuple<int, int, int>>{
                                {100, 200, -59}, {300, 40, -120}, {300, 40, -80}}));
}

TEST(SiteReader, DataCutShortStopsAtTheLastCompleteRecord) {
    test::TempDir dir;
    SiteBytes site(dir);
    site.point(1, 1, "A", 1);
    site.ap(6, 0xC400, 1, "a");
    site.point(2, 2, "B", 3); // announces three, holds one and a half
    site.ap(6, 0xD800, 2, "b");
    site.ap(6, 0xD800, 3, "c");
    site.bytes.resize(site.bytes.size() - 20);
    Loaded loaded;
    openAndLoad(dir, site, loaded);
    ASSERT_FALSE(loaded.result.error);
    EXPECT_EQ(loaded.store.size(), 2u);
    EXPECT_EQ(loaded.marks, (std::vector<std::tuple<int, int, int>>{{1, 1, -60}, {2, 2, -40}}));
}

TEST(SiteReader, PointWhoseRecordsAreAllMissingLeavesNoMark) {
    test::TempDir dir;
    SiteBytes site(dir);
    site.point(9, 9, "LOST", 2);
    Loaded loaded;
    openAndLoad(dir, site, loaded);
    ASSERT_FALSE(loaded.result.error);
    EXPECT_TRUE(loaded.store.empty());
    EXPECT_TRUE(loaded.marks.empty());
}

TEST(SiteReader, MissingOrPartialDataSectionLoadsNothingWithoutComplaint) {
    test::TempDir dir;
    for (std::size_t keep : {0, 4}) {
        SiteBytes site(dir);
        site.bytes.resize(site.u32(header::DataOffset) + keep);
        Loaded loaded;
        openAndLoad(dir, site, loaded);
        EXPECT_FALSE(loaded.result.error) << keep;
        EXPECT_TRUE(loaded.store.empty());
    }
}

TEST(SiteReader, LongerStoredRecordsUseTheirLeadingBytes) {
    test::TempDir dir;
    SiteBytes site(dir);
    const std::size_t data = site.u32(header::DataOffset);
    site.set32(data, 50);
    site.set32(data + 4, 45);
    site.point(4, 5, "LONG", 2, 50);
    site.ap(6, 0xC400, 1, "one", 45);
    site.ap(6, 0xC400, 2, "two", 45);
    site.point(6, 7, "NEXT", 0, 50);
    Loaded loaded;
    openAndLoad(dir, site, loaded);
    ASSERT_FALSE(loaded.result.error);
    ASSERT_EQ(loaded.store.size(), 3u);
    auto it = loaded.store.begin();
    EXPECT_STREQ((it++)->ssid, "one");
    EXPECT_STREQ((it++)->ssid, "two");
    EXPECT_STREQ(it->pointName, "NEXT");
}

TEST(SiteReader, LongerHeaderIsSkipped) {
    test::TempDir dir;
    SiteBytes site(dir);
    // 50 more header bytes: every offset moves along with the regions.
    site.bytes.insert(site.bytes.begin() + 150, 50, 0x5A);
    site.set32(header::HeaderLength, 200);
    for (std::size_t field : {header::BitmapOffset, header::SignatureOffset, header::DataOffset})
        site.set32(field, site.u32(field) + 50);
    Loaded loaded;
    openAndLoad(dir, site, loaded);
    EXPECT_FALSE(loaded.result.error) << loaded.result.error.message;
    EXPECT_EQ(loaded.result.site.bitmap.row(0)[5], 5);
}

TEST(SiteReader, MagicIsTestedBeforeVersion) {
    test::TempDir dir;
    SiteBytes site(dir);
    site.bytes[header::Magic] = 'X';
    site.set16(header::Version, 1);
    EXPECT_EQ(openError(dir, site), "Not a Site File.");

    for (std::uint16_t version : {0, 1}) {
        SiteBytes old(dir);
        old.set16(header::Version, version);
        Loaded loaded;
        openAndLoad(dir, old, loaded);
        EXPECT_EQ(loaded.result.error.message, "Obsolete Site File, recreate using Planwright");
        EXPECT_EQ(loaded.result.error.caption, "File Error");
    }

    SiteBytes newer(dir);
    newer.set16(header::Version, 3);
    EXPECT_EQ(openError(dir, newer), "");
}

TEST(SiteReader, FilesThatAreNotSiteFilesAreNamedSo) {
    test::TempDir dir;
    for (const Bytes& bytes : {Bytes{}, Bytes{'M', 'Z'}, Bytes(4000, 'a')}) {
        test::writeBytes(dir.file("other"), bytes);
        EXPECT_EQ(openSite(dir.file("other")).error.message, "Not a Site File.");
    }
}

TEST(SiteReader, UnopenableFileGivesTheSystemText) {
    test::TempDir dir;
    const SiteError missing = openSite(dir.file("absent.tws")).error;
    EXPECT_EQ(missing.message, std::strerror(ENOENT));
    EXPECT_EQ(missing.caption, "File Open Error");
    EXPECT_EQ(openSite(dir.path()).error.message, std::strerror(EISDIR));
}

TEST(SiteReader, TopDownPlanLoadsTheRightWayUp) {
    test::TempDir dir;
    SiteBytes site(dir);
    const std::size_t info = site.bitmapInfo();
    site.set32(info + 8, static_cast<std::uint32_t>(-7));
    Loaded loaded;
    openAndLoad(dir, site, loaded);
    ASSERT_FALSE(loaded.result.error);
    const SiteBitmap& plan = loaded.result.site.bitmap;
    EXPECT_EQ(plan.height, 7);
    // The stored rows are now read top first: stored row 0 was the bottom.
    EXPECT_EQ(plan.row(0)[0], 18);
    EXPECT_EQ(plan.row(6)[0], 0);
}

TEST(SiteReader, ZeroImageSizeIsWorkedOutFromTheRows) {
    test::TempDir dir;
    SiteBytes site(dir);
    site.set32(site.bitmapInfo() + 20, 0);
    Loaded loaded;
    openAndLoad(dir, site, loaded);
    ASSERT_FALSE(loaded.result.error);
    EXPECT_EQ(loaded.result.site.state.bitmapSize, 1078u + 16 * 7);
}

// Each of these would make a careless reader read or write outside its
// buffers, or a later save overwrite part of the file.
TEST(SiteReader, DamagedFilesAreRefusedWithAReason) {
    test::TempDir dir;
    struct Damage {
        const char* expected;
        void (*apply)(SiteBytes&);
    };
    const Damage cases[] = {
        {"the header is shorter than 150 bytes.", [](SiteBytes& s) { s.set32(0, 100); }},
        {"the header is cut short.", [](SiteBytes& s) { s.bytes.resize(120); }},
        {"bits per pixel", [](SiteBytes& s) { s.set16(s.bitmapInfo() + 14, 24); }},
        {"not a plain", [](SiteBytes& s) { s.set32(s.bitmapInfo() + 16, 1); }},
        {"not a plain", [](SiteBytes& s) { s.set32(s.bitmapInfo(), 124); }},
        {"(0 x 7) is not usable", [](SiteBytes& s) { s.set32(s.bitmapInfo() + 4, 0); }},
        {"(13 x 0) is not usable", [](SiteBytes& s) { s.set32(s.bitmapInfo() + 8, 0); }},
        {"is not usable", [](SiteBytes& s) { s.set32(s.bitmapInfo() + 4, 0x7FFFFFFF); }},
        {"is not usable", [](SiteBytes& s) { s.set32(s.bitmapInfo() + 8, 0x80000000); }},
        {"fewer pixels", [](SiteBytes& s) { s.set32(s.bitmapInfo() + 20, 50); }},
        {"the floor plan is cut short.",
         [](SiteBytes& s) { s.set32(s.bitmapInfo() + 20, 0xFFFFFFF0); }},
        {"the floor plan is cut short.", [](SiteBytes& s) { s.bytes.resize(600); }},
        {"the floor plan runs into the survey data.",
         [](SiteBytes& s) { s.set32(header::BitmapOffset, 0xFFFFFF00); }},
        {"the floor plan overlaps the header.",
         [](SiteBytes& s) { s.set32(header::BitmapOffset, 0); }},
        {"the signature block overlaps the floor plan.",
         [](SiteBytes& s) { s.set32(header::SignatureOffset, 1000); }},
        {"the floor plan runs into the survey data.",
         [](SiteBytes& s) { s.set32(header::DataOffset, 1000); }},
        {"the signature block runs into the survey data.",
         [](SiteBytes& s) { s.set32(header::DataOffset, s.u32(header::DataOffset) - 1); }},
        {"survey records are shorter",
         [](SiteBytes& s) { s.set32(s.u32(header::DataOffset), 40); }},
        {"survey records are shorter",
         [](SiteBytes& s) { s.set32(s.u32(header::DataOffset) + 4, 0); }},
    };
    for (const Damage& damage : cases) {
        SiteBytes site(dir);
        damage.apply(site);
        Loaded loaded;
        openAndLoad(dir, site, loaded);
        EXPECT_EQ(loaded.result.error.kind, SiteErrorKind::Damaged) << damage.expected;
        EXPECT_NE(loaded.result.error.message.find(damage.expected), std::string::npos)
            << loaded.result.error.message;
        EXPECT_EQ(loaded.result.error.caption, "File Error");
    }
}

} // namespace
} // namespace marlow
