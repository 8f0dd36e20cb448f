// Save Site Data and the full rewrite: the bytes they produce, checked
// against a literal in-place update, what they refuse to do, and saves whose
// writes fail part-way.
#include "sitefile/SiteWriter.h"

#include "SiteFixtures.h"
#include "sitefile/ByteOrder.h"
#include "sitefile/SiteFormat.h"
#include "sitefile/SiteReader.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marlow {
namespace {

using test::appendRecord;
using test::apRecord;
using test::Bytes;

constexpr std::uint32_t SaveTime = 0x6543210F;

// Ink on a diagonal and in the four corners.
class DiagonalSignature final : public SignatureSource {
public:
    std::uint32_t readSignaturePixel(int x, int y) const override {
        const bool corner = (x == 0 || x == 199) && (y == 0 || y == 99);
        return x == 2 * y || corner ? SignatureInk : SignatureWhite;
    }
};

// The save as an update of the file in place: header, signature rows from
// the bottom, cut at the data offset, then each point record written with a
// zero count and written again once its records are out.
void saveInPlace(const std::string& path, const HeaderBytes& header, const RecordList& store,
                 const SignatureSource& signature) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    const SiteHeaderFields f = decodeHeader(header);
    auto put = [&](const void* p, std::size_t n) { ASSERT_EQ(::write(fd, p, n), ssize_t(n)); };
    put(header.data(), header.size());
    ::lseek(fd, f.signatureOffset, SEEK_SET);
    for (int y = 99; y >= 0; --y) {
        for (int x = 0; x < 200; ++x) {
            std::uint8_t v[4];
            writeU32(v, signature.readSignaturePixel(x, y));
            put(v, 4);
        }
    }
    ASSERT_EQ(::ftruncate(fd, f.dataOffset), 0);
    ::lseek(fd, f.dataOffset, SEEK_SET);
    const std::uint8_t sizes[8] = {42, 0, 0, 0, 41, 0, 0, 0};
    put(sizes, 8);

    std::uint8_t pointBuf[42];
    std::uint8_t apBuf[41];
    const SurveyRecord* opened = nullptr;
    off_t pointAt = 0;
    std::uint16_t count = 0;
    auto closePoint = [&] {
        encodePointRecord(pointBuf, *opened, count);
        ASSERT_EQ(::pwrite(fd, pointBuf, 42, pointAt), 42);
    };
    for (const SurveyRecord& r : store) {
        if (!opened || r.x != opened->x || r.y != opened->y || r.channel == 0) {
            if (opened)
                closePoint();
            opened = &r;
            count = 0;
            pointAt = ::lseek(fd, 0, SEEK_CUR);
            encodePointRecord(pointBuf, r, 0);
            put(pointBuf, 42);
        }
        if (r.channel != 0) {
            ++count;
            encodeApRecord(apBuf, r);
            put(apBuf, 41);
        }
    }
    if (opened)
        closePoint();
    ::close(fd);
}

class SiteWriter : public ::testing::Test {
protected:
    void SetUp() override {
        test::makeSite(path());
        OpenResult opened = openSite(path());
        ASSERT_FALSE(opened.error);
        site = opened.site.state;
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
    SiteState site;
    RecordList store;
};

TEST_F(SiteWriter, SaveGivesTheBytesOfAnInPlaceUpdate) {
    fillStore();
    site.header[header::StatusByte] = 0x7F;
    site.header[60] = 0x33; // a byte nothing interprets
    HeaderBytes stamped = site.header;
    stamped[header::StatusByte] = 0;
    writeU32(&stamped[header::SaveTime], SaveTime);
    // Over the opened file, and to a file that has gone, whose bytes the save
    // does not write read as zeros.
    for (const std::string name : {"site", "fresh"}) {
        const std::string reference = dir.file(name + "-reference.tws");
        if (name == "site")
            std::filesystem::copy_file(path(), reference);
        saveInPlace(reference, stamped, store, DiagonalSignature());
        SiteState state = site;
        const std::string target = dir.file(name + ".tws");
        ASSERT_FALSE(saveSiteData(target, state, store, DiagonalSignature(), SaveTime));
        EXPECT_EQ(test::readBytes(target), test::readBytes(reference));
        EXPECT_EQ(state.header, stamped);
    }
}

TEST_F(SiteWriter, SavedSurveyLoadsBackUnchanged) {
    fillStore();
    ASSERT_FALSE(saveSiteData(path(), site, store, BlankSignature(), SaveTime));
    OpenResult reopened = openSite(path());
    ASSERT_FALSE(reopened.error);
    RecordList loaded;
    loadPoints(reopened.site, loaded, nullptr);

    // Placeholders come back with the reader's content; access points whole,
    // SSIDs cut to the stored 32 bytes.
    EXPECT_EQ(test::describe(loaded),
              (std::vector<std::string>{"TEST 100,200 001100000001 6 -45 first",
                                        "TEST 100,200 001100000002 6 -72 " + std::string(32, 'x'),
                                        "FILL 100,200 000000000000 0 -100 ",
                                        "FILL 100,200 000000000000 0 -100 ",
                                        "TEST 7,8 001100000003 13 -90 "}));

    // A second save of what was loaded gives the same file again.
    const Bytes first = test::readBytes(path());
    site = reopened.site.state;
    ASSERT_FALSE(saveSiteData(path(), site, loaded, BlankSignature(), SaveTime));
    EXPECT_EQ(test::readBytes(path()), first);

    // An empty store (the site opened without keeping its points) replaces
    // the stored points.
    RecordList empty;
    ASSERT_FALSE(saveSiteData(path(), site, empty, BlankSignature(), SaveTime));
    const Bytes saved = test::readBytes(path());
    const std::size_t data = decodeHeader(site.header).dataOffset;
    EXPECT_EQ(saved.size(), data + 8);
    EXPECT_EQ(readU32(&saved[data]), 42u);
    EXPECT_EQ(readU32(&saved[data + 4]), 41u);
}

TEST_F(SiteWriter, SaveKeepsPermissionsAndFollowsLinks) {
    ASSERT_EQ(::chmod(path().c_str(), 0640), 0);
    const std::string link = dir.file("link.tws");
    std::filesystem::create_symlink(path(), link);
    fillStore();
    ASSERT_FALSE(saveSiteData(link, site, store, BlankSignature(), SaveTime));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    struct stat st {};
    ASSERT_EQ(::stat(path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    RecordList loaded;
    loadPoints(openSite(path()).site, loaded, nullptr);
    EXPECT_EQ(loaded.size(), store.size());
}

TEST_F(SiteWriter, SignatureThatWouldOverwriteOtherRegionsIsRefused) {
    const Bytes before = test::readBytes(path());
    writeU32(&site.header[header::SignatureOffset], 1000); // on the floor plan
    const SiteError error = saveSiteData(path(), site, store, BlankSignature(), SaveTime);
    EXPECT_EQ(error.message, "Could not update site");
    EXPECT_EQ(error.caption, "Site Update Error");
    EXPECT_NE(error.detail.find("overlaps the floor plan"), std::string::npos);
    EXPECT_EQ(test::readBytes(path()), before);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"site.tws"});
}

TEST_F(SiteWriter, FullRewritePutsThePlanAfterTheHeaderAndCountsEveryRecord) {
    fillStore();
    const Bytes plan(5000, 0xB3);
    test::writeBytes(dir.file("tmpsite.bmp"), plan);
    ASSERT_FALSE(rewriteSite(path(), site, store, dir.file("tmpsite.bmp")));

    const Bytes file = test::readBytes(path());
    const std::size_t data = decodeHeader(site.header).dataOffset;
    EXPECT_TRUE(std::equal(site.header.begin(), site.header.end(), file.begin()));
    EXPECT_TRUE(std::equal(plan.begin(), plan.end(), file.begin() + 150));
    EXPECT_TRUE(std::all_of(file.begin() + 5150, file.begin() + static_cast<long>(data),
                            [](std::uint8_t b) { return b == 0; }));
    // One point of four records at (100, 200), placeholders included, and
    // one point at (7, 8).
    EXPECT_EQ(readU16(&file[data + 8 + 40]), 4);
    const std::size_t second = data + 8 + 42 + 4 * 41;
    EXPECT_EQ(readI32(&file[second]), 7);
    EXPECT_EQ(readU16(&file[second + 40]), 1);
    EXPECT_EQ(file.size(), second + 42 + 41);
}

TEST_F(SiteWriter, FullRewriteWithoutItsBitmapLeavesTheSiteAlone) {
    const Bytes before = test::readBytes(path());
    const SiteError missing = rewriteSite(path(), site, store, dir.file("tmpsite.bmp"));
    EXPECT_EQ(missing.message, "Could not update site");
    EXPECT_NE(missing.detail.find("tmpsite.bmp"), std::string::npos);

    test::writeBytes(dir.file("tmpsite.bmp"), Bytes(200000, 1)); // runs into the data
    EXPECT_EQ(rewriteSite(path(), site, store, dir.file("tmpsite.bmp")).kind,
              SiteErrorKind::CannotUpdate);
    EXPECT_EQ(test::readBytes(path()), before);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"site.tws", "tmpsite.bmp"}));
}

// Caps the size of any file this process writes, as a full disk would; the
// signal the kernel sends on the first refused write is ignored meanwhile.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};

// A save whose writes fail part-way: the error is reported and the previous
// file survives untouched, with no temporary file left behind.
TEST(WriteFailure, FailedSaveKeepsThePreviousFile) {
    test::TempDir dir;
    const std::string path = dir.file("site.tws");
    test::makeSite(path, 300, 200);
    OpenResult opened = openSite(path);
    ASSERT_FALSE(opened.error);
    RecordList store;
    for (int i = 0; i < 50; ++i)
        test::appendRecord(store, test::apRecord(i, i, static_cast<std::uint8_t>(i), -50));
    const test::Bytes before = test::readBytes(path);
    const HeaderBytes headerBefore = opened.site.state.header;

    // Stop in the floor plan, in the signature and in the survey data.
    for (rlim_t limit :
         {rlim_t{10000}, rlim_t{before.size() - 1000}, rlim_t{before.size() + 500}}) {
        SiteError error;
        {
            FileSizeLimit cap(limit);
            error = saveSiteData(path, opened.site.state, store, BlankSignature(), 1);
        }
        EXPECT_EQ(error.message, "Could not update site") << limit;
        EXPECT_FALSE(error.detail.empty());
        EXPECT_EQ(test::readBytes(path), before);
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"site.tws"});
        EXPECT_EQ(opened.site.state.header, headerBefore);
    }

    test::writeBytes(dir.file("tmpsite.bmp"), test::Bytes(70000, 9));
    {
        FileSizeLimit cap(20000);
        EXPECT_TRUE(rewriteSite(path, opened.site.state, store, dir.file("tmpsite.bmp")));
    }
    EXPECT_EQ(test::readBytes(path), before);
}

} // namespace
} // namespace marlow
