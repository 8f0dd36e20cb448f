// The site file: the stored records (the RSSI encoding, the fixed text
// fields) and the survey data section under each writer's rules; opening
// sites, damaged files included; Save Site Data
// and the full rewrite checked byte for byte, a round trip, and writes that
// fail or are refused; the store's count of points is the file's.
#include "SiteBytes.h"
#include "sitefile/SiteWriter.h"
#include "sitefile/SurveyData.h"
#include "store/SurveyPoints.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace marlow {
namespace {

using test::appendRecord;
using test::apRecord;
using test::Bytes;
using test::Loaded;
using test::SiteBytes;

constexpr std::uint32_t SaveTime = 0x6543210F;

using Points = std::vector<std::array<int, 3>>;
using Channels = std::vector<int>;

std::string field(const std::uint8_t* bytes) {
    return std::string(reinterpret_cast<const char*>(bytes), 32);
}

// Stored RSSI is dBm times 256; loading divides and rounds toward zero.
TEST(StoredRecords, RssiIsDbmTimes256AndTextsFillTheirFieldsAtMost) {
    // The stored low and high bytes, the dBm they load as, and whether a save
    // writes that dBm so.
    const std::tuple<std::uint8_t, std::uint8_t, std::int16_t, bool> cases[] = {
        {0x00, 0xC4, -60, true}, {0x01, 0xC4, -59, false}, // -15,359
        {0xFF, 0xFF, 0, false},  {0x00, 0x80, -128, true}, {0x00, 0x05, 5, true},
    };
    for (const auto& [low, high, dbm, written] : cases) {
        std::uint8_t bytes[StoredApRecordSize] = {6, low, high};
        SurveyRecord r;
        decodeApRecord(bytes, r);
        EXPECT_EQ(r.rssi, dbm) << int{high} << " " << int{low};
        if (!written)
            continue;
        encodeApRecord(bytes, apRecord(0, 0, 0x55, dbm));
        EXPECT_EQ(std::pair(bytes[1], bytes[2]), std::pair(low, high)) << dbm;
    }

    // Texts longer than their fields are cut; the bytes after a shorter one
    // are zeros, whatever the field held before.
    std::uint8_t ap[StoredApRecordSize];
    std::uint8_t point[StoredPointRecordSize];
    SurveyRecord r = apRecord(-5, 70000, 1, -50, std::string(100, 'L'), 6, std::string(32, 'N'));
    encodeApRecord(ap, r);
    encodePointRecord(point, r, 513);
    SurveyRecord loaded;
    decodeApRecord(ap, loaded);
    const StoredPoint stored = decodePointRecord(point);
    EXPECT_EQ(
        std::tuple(textOf(loaded.ssid), std::string(loaded.macText), stored.x, stored.y,
                   stored.apCount, std::string(stored.name)),
        std::tuple(std::string(32, 'L'), "001100000001", -5, 70000, 513, std::string(32, 'N')));
    setText(r.ssid, "ab");
    setText(r.pointName, "P1");
    encodeApRecord(ap, r);
    encodePointRecord(point, r, 0);
    EXPECT_EQ(field(ap + 9) + field(point + 8),
              "ab" + std::string(30, '\0') + "P1" + std::string(30, '\0'));
}

// The records encoded as a data section, read back by walking it: its point
// records as (x, y, apCount), and the channels of its access-point records.
std::pair<Points, Channels> encode(const std::vector<SurveyRecord>& records, SplitRule rule) {
    RecordList store;
    for (const SurveyRecord& record : records)
        test::appendRecord(store, record);
    const Bytes data = encodeSurveyData(store, rule);
    std::pair<Points, Channels> walked;
    std::size_t at = 8;
    while (at < data.size()) {
        const int count = readU16(&data[at + 40]);
        walked.first.push_back({readI32(&data[at]), readI32(&data[at + 4]), count});
        at += 42;
        for (int i = 0; i < count; ++i, at += 41)
            walked.second.push_back(data.at(at));
    }
    EXPECT_EQ(at, data.size());
    return walked;
}

TEST(SurveyData, OnePointWithOneAccessPointIsNinetyOneBytes) {
    RecordList store;
    for (SplitRule rule : {SplitRule::SaveSiteData, SplitRule::FullRewrite})
        EXPECT_EQ(encodeSurveyData(store, rule), (Bytes{0x2A, 0, 0, 0, 0x29, 0, 0, 0}));

    test::appendRecord(store, apRecord(100, 200, 0x55, -60));
    Bytes expected = {0x2A, 0,    0, 0, 0x29, 0,   0,   0,   0x64, 0, 0,
                      0,    0xC8, 0, 0, 0,    'T', 'E', 'S', 'T',  0};
    expected.resize(expected.size() + 27, 0); // the name field's unused bytes
    Bytes tail = {0x01, 0x00, 0x06, 0x00, 0xC4, 0x00, 0x11, 0, 0, 0, 0x55, 'l', 'a', 'b', 0};
    expected.insert(expected.end(), tail.begin(), tail.end());
    expected.resize(expected.size() + 28, 0);
    ASSERT_EQ(expected.size(), 91u);
    EXPECT_EQ(encodeSurveyData(store, SplitRule::SaveSiteData), expected);
}

TEST(SurveyData, SplitRulesOfBothWriters) {
    // A point ends where either coordinate changes.
    const std::vector<SurveyRecord> moving = {apRecord(1, 1, 1, -50), apRecord(1, 2, 2, -50),
                                              apRecord(1, 2, 3, -50, "x", 11),
                                              apRecord(2, 2, 4, -50)};
    for (SplitRule rule : {SplitRule::SaveSiteData, SplitRule::FullRewrite})
        EXPECT_EQ(encode(moving, rule),
                  std::pair(Points{{1, 1, 1}, {1, 2, 2}, {2, 2, 1}}, Channels{6, 6, 11, 6}));
    // Save Site Data writes a placeholder as a point of its own without an
    // access-point record; the full rewrite writes it as a record.
    const SurveyRecord placeholder = test::committedPlaceholder(5, 5);
    const std::vector<SurveyRecord> records = {apRecord(5, 5, 1, -50), placeholder, placeholder};
    EXPECT_EQ(encode(records, SplitRule::SaveSiteData),
              std::pair(Points{{5, 5, 1}, {5, 5, 0}, {5, 5, 0}}, Channels{6}));
    EXPECT_EQ(encode(records, SplitRule::FullRewrite),
              std::pair(Points{{5, 5, 3}}, Channels{6, 0, 0}));
    // An access point after a placeholder at its position joins its point.
    EXPECT_EQ(encode({placeholder, apRecord(5, 5, 1, -50)}, SplitRule::SaveSiteData).first,
              (Points{{5, 5, 1}}));
    // A run longer than the count field continues in a new point record.
    const std::vector<SurveyRecord> run(65536, apRecord(7, 7, 1, -50));
    EXPECT_EQ(encode(run, SplitRule::SaveSiteData).first, (Points{{7, 7, 65535}, {7, 7, 1}}));
}

// Ink on a diagonal and in the four corners.
class DiagonalSignature final : public SignatureSource {
public:
    std::uint32_t readSignaturePixel(int x, int y) const override {
        const bool corner = (x == 0 || x == 199) && (y == 0 || y == 99);
        return x == 2 * y || corner ? SignatureInk : SignatureWhite;
    }
};

// A new 13 x 7 site: its file, its bytes to damage, and its state and a
// store to save.
class SiteFile : public ::testing::Test {
protected:
    void SetUp() override {
        test::makeSite(path());
        site.bytes = test::readBytes(path());
        const SiteResult<OpenedSite> opened = openSite(path());
        ASSERT_TRUE(opened);
        state = opened->file;
    }
    std::string path() const { return dir.file("site.tws"); }
    void fillStore() {
        appendRecord(store, apRecord(100, 200, 1, -45, "first"));
        appendRecord(store, apRecord(100, 200, 2, -72, std::string(40, 'x')));
        appendRecord(store, test::committedPlaceholder(100, 200));
        appendRecord(store, test::committedPlaceholder(100, 200));
        appendRecord(store, apRecord(7, 8, 3, -90, "", 13));
    }

    test::TempDir dir;
    SiteBytes site;
    SiteFileState state;
    RecordList store;
};

// Stored bottom row first, or with a negative height top row first and with
// an image size of 0 left to be worked out.
TEST_F(SiteFile, PlanLoadsTheRightWayUpAsStoredAndAsTopDown) {
    for (const bool topDown : {false, true}) {
        if (topDown) {
            site.set32(site.bitmapInfo() + 8, static_cast<std::uint32_t>(-7));
            site.set32(site.bitmapInfo() + 20, 0);
        }
        const Loaded loaded(dir, site);
        ASSERT_TRUE(loaded.result) << loaded.result.error().message;
        const SiteBitmap& plan = loaded.result->bitmap;
        ASSERT_EQ(std::tuple(plan.width, plan.height), std::tuple(13, 7));
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(plan.row(y)[x], x + 3 * (topDown ? 6 - y : y)) << x << "," << y;
        }
        EXPECT_EQ(std::tuple(plan.rgb(200), loaded.result->file.bitmapSize, loaded.store.size(),
                             loaded.marks.size()),
                  std::tuple(0xC8C8C8u, 1078u + 16 * 7, 0u, 0u));
    }
}

TEST_F(SiteFile, FilesThatCannotBeUsedAreNamedForWhatTheyAre) {
    site.bytes[header::Version] = 1;
    const SiteError old = Loaded(dir, site).result.error();
    EXPECT_EQ(std::tuple(old.message, old.caption),
              std::tuple("Obsolete Site File, recreate using Planwright", "File Error"));
    site.bytes[header::Magic] = 'X'; // the magic is tested first
    EXPECT_EQ(Loaded(dir, site).result.error().message, "Not a Site File.");
    site.bytes.resize(10);
    EXPECT_EQ(Loaded(dir, site).result.error().message, "Not a Site File.");
    const SiteError missing = openSite(dir.file("absent.tws")).error();
    EXPECT_EQ(std::tuple(missing.message, missing.caption),
              std::tuple(std::strerror(ENOENT), "File Open Error"));
}

// Each of these would make a careless reader read or write outside its
// buffers, or a later save overwrite part of the file.
TEST_F(SiteFile, DamagedFilesAreRefusedWithAReason) {
    const std::size_t info = site.bitmapInfo();
    const std::size_t data = site.u32(header::DataOffset);
    constexpr std::size_t Cut = SIZE_MAX;
    // Where a 32-bit value is written (or Cut: the file is cut to the
    // value's length), the value, and the reason given.
    const std::tuple<std::size_t, std::uint32_t, const char*> cases[] = {
        {0, 100, "the header is shorter than 150 bytes."},
        {info + 14, 24, "bits per pixel"},
        {info + 4, 0, "(0 x 7) is not usable"},
        {info + 8, 0x80000000, "is not usable"},
        {info + 20, 0xFFFFFFF0, "the floor plan is cut short."},
        {Cut, 600, "the floor plan is cut short."},
        {header::BitmapOffset, 0xFFFFFF00, "the floor plan runs into the survey data."},
        {header::BitmapOffset, 0, "the floor plan overlaps the header."},
        {header::SignatureOffset, 1000, "the signature block overlaps the floor plan."},
        {header::DataOffset, data - 1, "the signature block runs into the survey data."},
        {data, 40, "survey records are shorter"},
        {data + 4, 0, "survey records are shorter"},
        // A save fills what is missing before the survey data with zeros:
        // no more than a signature block of it may be missing.
        {header::DataOffset, 0xFFFFFFF0, "ends more than a signature block before"},
        {header::DataOffset, static_cast<std::uint32_t>(site.bytes.size() + SignatureBlockSize + 1),
         "ends more than a signature block before"},
    };
    for (const auto& [at, value, expected] : cases) {
        SiteBytes damaged = site;
        if (at == Cut)
            damaged.bytes.resize(value);
        else
            damaged.set32(at, value);
        const SiteResult<OpenedSite> opened = Loaded::openWritten(dir, damaged);
        ASSERT_FALSE(opened) << expected;
        const SiteError& error = opened.error();
        EXPECT_EQ(std::tuple(error.kind, error.caption),
                  std::tuple(SiteErrorKind::Damaged, "File Error"))
            << expected;
        EXPECT_NE(error.message.find(expected), std::string::npos) << error.message;
    }
}

// Saved through a link, which stays a link, over the old file: the header
// stamped, the signature's rows from the bottom up, the data section, which
// ends the file, and every other byte kept.
TEST_F(SiteFile, SaveWritesItsRegionsOverTheOldFileAndLoadsBack) {
    const std::string link = dir.file("link.tws");
    std::filesystem::create_symlink(path(), link);
    fillStore();
    state.header[header::StatusByte] = 0x7F;
    state.header[60] = 0x33; // a byte nothing interprets
    HeaderBytes stamped = state.header;
    stamped[header::StatusByte] = 0;
    writeU32(&stamped[header::SaveTime], SaveTime);
    ASSERT_TRUE(saveSiteData(link, state, store, DiagonalSignature(), SaveTime));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(state.header, stamped);

    const SiteHeaderFields f = decodeHeader(stamped);
    Bytes expected = site.bytes;
    std::copy(stamped.begin(), stamped.end(), expected.begin());
    expected.resize(f.dataOffset);
    for (int i = 0; i < 200 * 100; ++i)
        writeU32(&expected[f.signatureOffset + 4 * i],
                 DiagonalSignature().readSignaturePixel(i % 200, 99 - i / 200));
    const Bytes data = encodeSurveyData(store, SplitRule::SaveSiteData);
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(test::readBytes(path()), expected);

    // Placeholders come back with the reader's content; access points whole,
    // SSIDs cut to the stored 32 bytes.
    RecordList loaded;
    loadPoints(*openSite(path()), loaded, nullptr);
    EXPECT_EQ(test::describe(loaded),
              (std::vector<std::string>{"TEST 100,200 001100000001 6 -45 first",
                                        "TEST 100,200 001100000002 6 -72 " + std::string(32, 'x'),
                                        "FILL 100,200 000000000000 0 -100 ",
                                        "FILL 100,200 000000000000 0 -100 ",
                                        "TEST 7,8 001100000003 13 -90 "}));
}

TEST_F(SiteFile, FullRewritePutsThePlanAfterTheHeaderAndCountsEveryRecord) {
    fillStore();
    const Bytes plan(5000, 0xB3);
    test::writeBytes(dir.file("tmpsite.bmp"), plan);
    ASSERT_TRUE(rewriteSite(path(), state, store, dir.file("tmpsite.bmp")));

    const Bytes file = test::readBytes(path());
    const std::size_t data = decodeHeader(state.header).dataOffset;
    EXPECT_TRUE(std::equal(state.header.begin(), state.header.end(), file.begin()));
    EXPECT_TRUE(std::equal(plan.begin(), plan.end(), file.begin() + 150));
    EXPECT_TRUE(std::all_of(file.begin() + 5150, file.begin() + static_cast<long>(data),
                            [](std::uint8_t b) { return b == 0; }));
    // One point of four records at (100, 200), placeholders included, and
    // one point at (7, 8).
    EXPECT_EQ(readU16(&file[data + 8 + 40]), 4);
    const std::size_t second = data + 8 + 42 + 4 * 41;
    EXPECT_EQ(std::tuple(readI32(&file[second]), readU16(&file[second + 40]), file.size()),
              std::tuple(7, 1, second + 42 + 41));
}

// Whatever each writer makes of placeholders, a file saved from the store
// loads back with as many points as the store counts.
TEST_F(SiteFile, BothWritersKeepTheStoresCountOfPoints) {
    const SurveyRecord a = apRecord(10, 10, 1, -50);
    const SurveyRecord b = apRecord(20, 10, 2, -60);
    const std::pair<std::vector<SurveyRecord>, std::size_t> cases[] = {
        {{}, 0},
        {{a, a, test::committedPlaceholder(10, 10), a}, 1},
        {{test::committedPlaceholder(10, 10), test::committedPlaceholder(10, 10)}, 1},
        {{a, b, a}, 3},
        {{a, test::committedPlaceholder(20, 10), b}, 2},
    };
    const auto pointsInFile = [&] {
        const SiteResult<OpenedSite> opened = openSite(path());
        return opened ? opened->points.pointCount : SIZE_MAX;
    };
    // The rewrite's plan: the site's own, as it lies in the file.
    const SiteHeaderFields fields = decodeHeader(state.header);
    test::writeBytes(dir.file("tmpsite.bmp"), Bytes(site.bytes.begin() + fields.bitmapOffset,
                                                    site.bytes.begin() + fields.signatureOffset));
    for (const auto& [records, points] : cases) {
        store.clear();
        for (const SurveyRecord& record : records)
            appendRecord(store, record);
        ASSERT_EQ(surveyPointCount(store), points);
        ASSERT_TRUE(saveSiteData(path(), state, store, DiagonalSignature(), SaveTime));
        EXPECT_EQ(pointsInFile(), points) << records.size();
        ASSERT_TRUE(rewriteSite(path(), state, store, dir.file("tmpsite.bmp")));
        EXPECT_EQ(pointsInFile(), points) << records.size();
    }
}

// Runs the write with the size of any file this process writes capped, as
// a full disk would; the signal the kernel sends on the first refused write
// is ignored meanwhile.
SiteResult<> underFileSizeLimit(rlim_t bytes, const std::function<SiteResult<>()>& write) {
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ::getrlimit(RLIMIT_FSIZE, &previous);
    const rlimit limit{bytes, previous.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    SiteResult<> written = write();
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, handler);
    return written;
}

// Saves and rewrites that fail or are refused: the error is reported, and
// the previous file survives untouched, with no temporary file left behind.
TEST_F(SiteFile, FailedWritesLeaveThePreviousFile) {
    for (int i = 0; i < 50; ++i)
        appendRecord(store, apRecord(i, i, static_cast<std::uint8_t>(i), -50));
    const Bytes before = test::readBytes(path());
    const HeaderBytes headerBefore = state.header;
    auto expectRefused = [&](const SiteResult<>& refused, const std::string& detail) {
        ASSERT_FALSE(refused);
        const SiteError& error = refused.error();
        EXPECT_EQ(std::tuple(error.message, error.caption),
                  std::tuple("Could not update site", "Site Update Error"));
        EXPECT_NE(error.detail.find(detail), std::string::npos) << error.detail;
        EXPECT_EQ(test::readBytes(path()), before);
        EXPECT_EQ(state.header, headerBefore);
    };
    // A write stopped part of the way: the save writes the whole new file in
    // one go, so where it stops makes no difference.
    auto save = [&](SiteFileState& saved) {
        return saveSiteData(path(), saved, store, BlankSignature(), SaveTime);
    };
    expectRefused(underFileSizeLimit(before.size() - 1000, [&] { return save(state); }),
                  std::strerror(EFBIG));
    // A signature block that would overwrite another region is not written
    // at all. Which overlaps are refused is SiteLayout's test; this one needs
    // the plan's size from the opened file.
    SiteFileState moved = state;
    writeU32(&moved.header[header::SignatureOffset], 1000);
    expectRefused(save(moved), "overlaps the floor plan");
    // The full rewrite without its bitmap, with one that runs into the survey
    // data, and stopped while it copies the bitmap.
    const std::string bitmap = dir.file("tmpsite.bmp");
    expectRefused(rewriteSite(path(), state, store, bitmap), bitmap);
    test::writeBytes(bitmap, Bytes(200000, 1));
    expectRefused(rewriteSite(path(), state, store, bitmap), "does not fit");
    test::writeBytes(bitmap, Bytes(1100, 9));
    expectRefused(
        underFileSizeLimit(1000, [&] { return rewriteSite(path(), state, store, bitmap); }),
        std::strerror(EFBIG));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"site.tws", "tmpsite.bmp"}));
}

} // namespace
} // namespace marlow
