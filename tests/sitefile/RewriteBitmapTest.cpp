// The full rewrite takes its floor plan from a fixed name in a folder every
// user may write: whatever else is found under that name is refused, and
// the site file keeps its bytes.
#include "SiteFixtures.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marlow {
namespace {

constexpr uid_t NobodyUid = 65534;

class RewriteBitmap : public ::testing::Test {
protected:
    void SetUp() override {
        test::makeSite(site);
        const SiteResult<OpenedSite> opened = openSite(site);
        ASSERT_TRUE(opened);
        state = opened->file;
        test::appendRecord(store, test::apRecord(1, 2, 3, -60));
        before = test::readBytes(site);
    }

    // The rewrite is refused for the reason given, and the site is as it was.
    void expectRefused(const std::string& why) {
        const SiteResult<> rewritten = rewriteSite(site, state, store, bitmap);
        ASSERT_FALSE(rewritten) << why;
        const SiteError& error = rewritten.error();
        EXPECT_EQ(std::tuple(error.kind, error.message),
                  std::tuple(SiteErrorKind::CannotUpdate, "Could not update site"));
        EXPECT_NE(error.detail.find(bitmap + " " + why), std::string::npos) << error.detail;
        EXPECT_EQ(test::readBytes(site), before) << why;
    }

    test::TempDir dir;
    const std::string site = dir.file("site.tws");
    const std::string bitmap = dir.file("tmpsite.bmp");
    SiteFileState state;
    RecordList store;
    test::Bytes before;
};

// A link to a file the user may read (another's secret, say) is not
// followed; a FIFO, which could hang the rewrite, and a folder are not
// regular files.
TEST_F(RewriteBitmap, RefusesALinkAFifoAndAFolder) {
    const std::string secret = dir.file("secret");
    test::writeBytes(secret, test::Bytes(300, 'S'));
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { std::filesystem::create_symlink(secret, bitmap); }, "is a symbolic link"},
        {[&] { ASSERT_EQ(::mkfifo(bitmap.c_str(), 0600), 0); }, "is not a regular file"},
        {[&] { std::filesystem::create_directory(bitmap); }, "is not a regular file"},
    };
    for (const auto& [plant, why] : cases) {
        plant();
        expectRefused(why);
        std::filesystem::remove(bitmap);
    }
}

// Root may read anyone's file, so only ownership tells a planted one apart.
TEST_F(RewriteBitmap, RefusesAnotherUsersFile) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    test::writeBytes(bitmap, test::Bytes(300, 'S'));
    ASSERT_EQ(::chown(bitmap.c_str(), NobodyUid, NobodyUid), 0);
    expectRefused("is not owned by you");
}

} // namespace
} // namespace marlow
