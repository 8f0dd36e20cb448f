// A save whose writes fail part-way: the error is reported and the previous
// file survives untouched, with no temporary file left behind.
#include "SiteFixtures.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace marlow {
namespace {

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
