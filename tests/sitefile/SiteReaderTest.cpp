// Opening site files and loading their points, including damaged files.
#include "sitefile/SiteReader.h"

#include "SiteFixtures.h"
#include "sitefile/ByteOrder.h"
#include "sitefile/SiteFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <tuple>

namespace marlow {
namespace {

using test::Bytes;
using Marks = std::vector<std::tuple<int, int, int>>;

// A new 13 x 7 site file as bytes, with helpers to patch fields and append
// stored points.
struct SiteBytes {
    Bytes bytes;

    explicit SiteBytes(const test::TempDir& dir) {
        test::makeSite(dir.file("made.tws"));
        bytes = test::readBytes(dir.file("made.tws"));
    }
    std::uint32_t u32(std::size_t at) const { return readU32(&bytes[at]); }
    void set32(std::size_t at, std::uint32_t v) { writeU32(&bytes[at], v); }
    void set16(std::size_t at, std::uint16_t v) { writeU16(&bytes[at], v); }
    std::size_t bitmapInfo() const { return u32(header::BitmapOffset) + BitmapFileHeaderSize; }

    // Appends a record of `size` bytes, 0xEE past its known fields, with
    // `text` in its 32-byte field at `textAt`; returns where it starts.
    std::size_t record(std::size_t size, std::size_t textAt, const std::string& text) {
        const std::size_t at = bytes.size();
        bytes.resize(at + size, 0xEE);
        std::fill_n(&bytes[at + textAt], 32, 0);
        std::copy_n(text.begin(), std::min<std::size_t>(text.size(), 32), &bytes[at + textAt]);
        return at;
    }
    void point(std::int32_t x, std::int32_t y, const std::string& name, std::uint16_t count,
               std::size_t size = 42) {
        const std::size_t at = record(size, 8, name);
        writeI32(&bytes[at], x);
        writeI32(&bytes[at + 4], y);
        writeU16(&bytes[at + 40], count);
    }
    void ap(std::uint8_t channel, std::uint16_t storedRssi, std::uint8_t macTail,
            const std::string& ssid, std::size_t size = 41) {
        const std::size_t at = record(size, 9, ssid);
        const std::uint8_t head[9] = {channel, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, macTail};
        std::copy_n(head, 9, &bytes[at]);
        writeU16(&bytes[at + 1], storedRssi);
    }
};

// The site written to a file, opened and, when that succeeds, loaded.
struct Loaded {
    Loaded(const test::TempDir& dir, const SiteBytes& site) {
        test::writeBytes(dir.file("site.tws"), site.bytes);
        result = openSite(dir.file("site.tws"));
        if (!result.error)
            loadPoints(result.site, store,
                       [&](int x, int y, int rssi) { marks.emplace_back(x, y, rssi); });
    }
    OpenResult result;
    RecordList store;
    Marks marks;
};

struct SiteReader : ::testing::Test {
    test::TempDir dir;
    SiteBytes site{dir};
};

TEST_F(SiteReader, NewSiteOpensWithItsPlanAndNoPoints) {
    const Loaded loaded(dir, site);
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

TEST_F(SiteReader, TopDownPlanLoadsTheRightWayUpAndZeroImageSizeIsWorkedOut) {
    site.set32(site.bitmapInfo() + 8, static_cast<std::uint32_t>(-7));
    site.set32(site.bitmapInfo() + 20, 0);
    const Loaded loaded(dir, site);
    ASSERT_FALSE(loaded.result.error);
    const SiteBitmap& plan = loaded.result.site.bitmap;
    EXPECT_EQ(plan.height, 7);
    // The stored rows are now read top first: stored row 0 was the bottom.
    EXPECT_EQ(plan.row(0)[0], 18);
    EXPECT_EQ(plan.row(6)[0], 0);
    EXPECT_EQ(loaded.result.site.state.bitmapSize, 1078u + 16 * 7);
}

TEST_F(SiteReader, LoadsAccessPointsAndPlaceholdersAsRunsWithTheirMarks) {
    site.point(100, 200, "P1", 2);
    site.ap(6, 0xC400, 1, "lab");
    site.ap(11, 0xC401, 2, std::string(32, 'W')); // -59 after rounding toward zero
    site.point(300, 40, "EMPTY", 0);
    site.point(300, 40, "SAME", 1); // same place: the run continues
    site.ap(1, 0xB000, 3, "");
    const Loaded loaded(dir, site);
    ASSERT_FALSE(loaded.result.error);

    // The point stored without access points loads as a placeholder.
    EXPECT_EQ(test::describe(loaded.store),
              (std::vector<std::string>{"P1 100,200 AABBCCDDEE01 6 -60 lab",
                                        "P1 100,200 AABBCCDDEE02 11 -59 " + std::string(32, 'W'),
                                        "EMPTY 300,40 000000000000 0 -100 ",
                                        "SAME 300,40 AABBCCDDEE03 1 -80 "}));
    EXPECT_EQ(loaded.marks, (Marks{{100, 200, -59}, {300, 40, -120}, {300, 40, -80}}));
}

TEST_F(SiteReader, DataCutShortLoadsUpToTheLastCompleteRecord) {
    // No data section, or only half of its record sizes: nothing to load.
    for (std::size_t keep : {0, 4}) {
        SiteBytes cut = site;
        cut.bytes.resize(site.u32(header::DataOffset) + keep);
        const Loaded loaded(dir, cut);
        EXPECT_FALSE(loaded.result.error) << keep;
        EXPECT_TRUE(loaded.store.empty());
    }
    // A point whose records are all missing gets no mark.
    SiteBytes lost = site;
    lost.point(9, 9, "LOST", 2);
    const Loaded nothing(dir, lost);
    ASSERT_FALSE(nothing.result.error);
    EXPECT_TRUE(nothing.store.empty());
    EXPECT_TRUE(nothing.marks.empty());

    site.point(1, 1, "A", 1);
    site.ap(6, 0xC400, 1, "a");
    site.point(2, 2, "B", 3); // announces three, holds one and a half
    site.ap(6, 0xD800, 2, "b");
    site.ap(6, 0xD800, 3, "c");
    site.bytes.resize(site.bytes.size() - 20);
    const Loaded loaded(dir, site);
    ASSERT_FALSE(loaded.result.error);
    EXPECT_EQ(loaded.store.size(), 2u);
    EXPECT_EQ(loaded.marks, (Marks{{1, 1, -60}, {2, 2, -40}}));
}

TEST_F(SiteReader, LongerHeaderAndStoredRecordsUseTheirLeadingBytes) {
    // 50 more header bytes: every offset moves along with the regions.
    site.bytes.insert(site.bytes.begin() + 150, 50, 0x5A);
    site.set32(header::HeaderLength, 200);
    for (std::size_t field : {header::BitmapOffset, header::SignatureOffset, header::DataOffset})
        site.set32(field, site.u32(field) + 50);
    const std::size_t data = site.u32(header::DataOffset);
    site.set32(data, 50);
    site.set32(data + 4, 45);
    site.point(4, 5, "LONG", 2, 50);
    site.ap(6, 0xC400, 1, "one", 45);
    site.ap(6, 0xC400, 2, "two", 45);
    site.point(6, 7, "NEXT", 0, 50);
    const Loaded loaded(dir, site);
    ASSERT_FALSE(loaded.result.error) << loaded.result.error.message;
    EXPECT_EQ(loaded.result.site.bitmap.row(0)[5], 5);
    EXPECT_EQ(test::describe(loaded.store), (std::vector<std::string>{
                                                "LONG 4,5 AABBCCDDEE01 6 -60 one",
                                                "LONG 4,5 AABBCCDDEE02 6 -60 two",
                                                "NEXT 6,7 000000000000 0 -100 ",
                                            }));
}

TEST_F(SiteReader, FilesThatCannotBeUsedAreNamedForWhatTheyAre) {
    // The magic is tested before the version.
    SiteBytes other = site;
    other.bytes[header::Magic] = 'X';
    other.set16(header::Version, 1);
    EXPECT_EQ(Loaded(dir, other).result.error.message, "Not a Site File.");
    for (const Bytes& bytes : {Bytes{}, Bytes{'M', 'Z'}, Bytes(4000, 'a')}) {
        test::writeBytes(dir.file("other"), bytes);
        EXPECT_EQ(openSite(dir.file("other")).error.message, "Not a Site File.");
    }

    for (std::uint16_t version : {0, 1, 3}) {
        SiteBytes old = site;
        old.set16(header::Version, version);
        const SiteError error = Loaded(dir, old).result.error;
        EXPECT_EQ(error.message,
                  version == 3 ? "" : "Obsolete Site File, recreate using Planwright");
        EXPECT_EQ(error.caption, version == 3 ? "" : "File Error");
    }

    const SiteError missing = openSite(dir.file("absent.tws")).error;
    EXPECT_EQ(missing.message, std::strerror(ENOENT));
    EXPECT_EQ(missing.caption, "File Open Error");
    EXPECT_EQ(openSite(dir.path()).error.message, std::strerror(EISDIR));
}

// Each of these would make a careless reader read or write outside its
// buffers, or a later save overwrite part of the file.
TEST_F(SiteReader, DamagedFilesAreRefusedWithAReason) {
    const std::pair<const char*, void (*)(SiteBytes&)> cases[] = {
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
    for (const auto& [expected, damage] : cases) {
        SiteBytes damaged = site;
        damage(damaged);
        const SiteError error = Loaded(dir, damaged).result.error;
        EXPECT_EQ(error.kind, SiteErrorKind::Damaged) << expected;
        EXPECT_NE(error.message.find(expected), std::string::npos) << error.message;
        EXPECT_EQ(error.caption, "File Error");
    }
}

} // namespace
} // namespace marlow
