// Saving over a file: the order of the calls that make a replacement safe,
// failures of each call, what the file keeps (links, owner, mode, extended
// attributes), files this user may not write, names at the file system's
// limit, links to nothing, and temporaries left by killed saves.
#include "sitefile/ReplacementFile.h"

#include "SiteFixtures.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"

#include <cerrno>
#include <filesystem>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace marlow {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

constexpr uid_t Nobody = 65534;
const Bytes OldContents(100, 'o');
const Bytes NewContents(40, 'n'); // shorter: an update in place must cut the file

struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

// Records each call as "<call> <file>", the file being "target" or
// "temporary", and fails the named call with EIO.
class WatchedCalls final : public FileCalls {
public:
    explicit WatchedCalls(std::string failing = {}) : m_failing(std::move(failing)) {}
    std::vector<std::string> log;

    int openForWriting(const std::string& path) override {
        return called("open target") < 0 ? -1 : (m_target = FileCalls::openForWriting(path));
    }
    int createTemporary(std::string& pattern) override {
        return called("create temporary") < 0 ? -1 : FileCalls::createTemporary(pattern);
    }
    ssize_t writeAt(int fd, const void* bytes, std::size_t length, off_t offset) override {
        return watch("write", fd) < 0 ? -1 : FileCalls::writeAt(fd, bytes, length, offset);
    }
    int truncate(int fd, off_t length) override {
        return watch("truncate", fd) < 0 ? -1 : FileCalls::truncate(fd, length);
    }
    int sync(int fd) override { return watch("sync", fd) < 0 ? -1 : FileCalls::sync(fd); }
    int close(int fd) override {
        const std::string file = fileOf(fd);
        FileCalls::close(fd); // the descriptor is gone even when the call fails
        return called("close " + file);
    }
    int rename(const std::string& from, const std::string& to) override {
        return called("rename") < 0 ? -1 : FileCalls::rename(from, to);
    }

private:
    std::string fileOf(int fd) const { return fd == m_target ? "target" : "temporary"; }
    int watch(const std::string& call, int fd) {
        return fd < 0 ? fd : (called(call + " " + fileOf(fd)) < 0 ? -1 : fd);
    }
    int called(const std::string& entry) {
        log.push_back(entry);
        if (entry.substr(0, entry.find(' ')) != m_failing)
            return 0;
        errno = EIO;
        return -1;
    }
    std::string m_failing;
    int m_target = -1;
};

TEST(ReplaceFile, NewFileIsFlushedBeforeItIsRenamedAndFailuresLeaveTheOldFile) {
    test::TempDir dir;
    const std::string target = dir.file("site.tws");
    test::writeBytes(target, OldContents);
    WatchedCalls watched;
    ASSERT_TRUE(replaceFile(target, NewContents, watched));
    EXPECT_EQ(watched.log,
              (std::vector<std::string>{"open target", "create temporary", "write temporary",
                                        "sync temporary", "close temporary", "rename"}));
    EXPECT_EQ(test::readBytes(target), NewContents);

    for (const char* call : {"open", "create", "write", "sync", "close", "rename"}) {
        test::writeBytes(target, OldContents);
        WatchedCalls failing(call);
        const Result<void> replaced = replaceFile(target, NewContents, failing);
        ASSERT_FALSE(replaced) << call;
        EXPECT_EQ(replaced.error().systemError, EIO) << call;
        EXPECT_EQ(test::readBytes(target), OldContents) << call;
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"site.tws"}) << call;
    }
}

// A second hard link makes the save update the file in place: written,
// cut to length and flushed, and each of those failures is reported.
TEST(ReplaceFile, HardLinkedFileIsUpdatedInPlaceAndKeepsItsLinks) {
    test::TempDir dir;
    const std::string target = dir.file("site.tws");
    test::writeBytes(target, OldContents);
    fs::create_hard_link(target, dir.file("other.tws"));
    WatchedCalls watched;
    ASSERT_TRUE(replaceFile(target, NewContents, watched));
    EXPECT_EQ(watched.log, (std::vector<std::string>{"open target", "write target",
                                                     "truncate target", "sync target"}));
    EXPECT_EQ(test::readBytes(dir.file("other.tws")), NewContents);
    EXPECT_EQ(statOf(target).st_nlink, 2u);

    for (const char* call : {"write", "truncate", "sync"}) {
        WatchedCalls failing(call);
        const Result<void> replaced = replaceFile(target, NewContents, failing);
        ASSERT_FALSE(replaced) << call;
        EXPECT_EQ(replaced.error().systemError, EIO) << call;
    }
}

// What a save by root keeps of the file it replaces.
TEST(ReplaceFile, KeepsOwnerModeAndExtendedAttributes) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the file another owner";
    test::TempDir dir;
    const std::string target = dir.file("site.tws");
    test::writeBytes(target, OldContents);
    ASSERT_EQ(::chown(target.c_str(), Nobody, Nobody), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const bool attributes = ::setxattr(target.c_str(), "user.marlow", "kept", 4, 0) == 0;
    const ino_t before = statOf(target).st_ino;

    ASSERT_TRUE(replaceFile(target, NewContents));
    const struct stat after = statOf(target);
    EXPECT_NE(after.st_ino, before); // replaced by a rename, not in place
    EXPECT_EQ(std::tuple(after.st_uid, after.st_gid, after.st_mode & 07777),
              std::tuple(Nobody, Nobody, 0640u));
    EXPECT_EQ(test::readBytes(target), NewContents);
    if (!attributes)
        GTEST_SKIP() << "the file system refuses user extended attributes";
    char value[8] = {};
    EXPECT_EQ(::getxattr(target.c_str(), "user.marlow", value, sizeof value), 4);
    EXPECT_STREQ(value, "kept");
}

// Names at the file system's limit, and links.
TEST(ReplaceFile, LongNamesAndSymbolicLinks) {
    test::TempDir dir;
    const std::string longName = dir.file(std::string(246, 'L') + ".tws"); // 250 bytes
    test::writeBytes(longName, OldContents);
    ASSERT_TRUE(replaceFile(longName, NewContents));
    EXPECT_EQ(test::readBytes(longName), NewContents);

    // A link to nothing is refused, the link left as it was and no file made.
    fs::create_symlink(dir.file("gone.tws"), dir.file("link.tws"));
    const Result<void> dangling = replaceFile(dir.file("link.tws"), NewContents);
    ASSERT_FALSE(dangling);
    EXPECT_NE(dangling.error().message.find("link.tws"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.file("gone.tws")));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.tws")));

    // Saving a site through it says so in the surveyor's words.
    test::makeSite(dir.file("real.tws"));
    SiteFileState state = openSite(dir.file("real.tws"))->file;
    const SiteResult<> saved =
        saveSiteData(dir.file("link.tws"), state, RecordList(), BlankSignature(), 0);
    ASSERT_FALSE(saved);
    EXPECT_EQ(std::tuple(saved.error().kind, saved.error().message),
              std::tuple(SiteErrorKind::CannotUpdate, "Could not update site"));
    EXPECT_FALSE(fs::exists(dir.file("gone.tws")));
}

// Only ours are removed: our exact name pattern, regular files, this
// user's, and not held by a save in progress.
TEST(ReplaceFile, StaleTemporariesBesideTheFileAreRemoved) {
    test::TempDir dir;
    const std::string target = dir.file("site.tws");
    test::writeBytes(target, OldContents);
    for (const char* name : {".mfw-a1B2c3", ".mfw-Zz9900", ".mfw-short", ".mfw-a1B2c3~",
                             ".mfw-held00", ".mfw-theirs", "mfw-a1B2c3"})
        test::writeBytes(dir.file(name), OldContents);
    fs::create_directory(dir.file(".mfw-folder"));
    const int held = ::open(dir.file(".mfw-held00").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(dir.file(".mfw-theirs").c_str(), Nobody, Nobody), 0);
    }

    EXPECT_EQ(removeStaleTemporaries(target), root ? 2u : 3u);
    std::vector<std::string> left = {".mfw-a1B2c3~", ".mfw-folder", ".mfw-held00",
                                     ".mfw-short",   "mfw-a1B2c3",  "site.tws"};
    if (root)
        left.insert(left.begin() + 4, ".mfw-theirs");
    EXPECT_EQ(dir.entries(), left);

    // A save clears them too.
    test::writeBytes(dir.file(".mfw-Killed"), OldContents);
    ASSERT_TRUE(replaceFile(target, NewContents));
    EXPECT_EQ(dir.entries(), left);
    ::close(held);
}

// Runs the save of a file in a folder as the unprivileged user nobody, in a
// child process: 0 when it succeeds, its errno when it fails.
int saveAsNobody(const std::string& target) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(Nobody, Nobody, Nobody) != 0 ||
            ::setresuid(Nobody, Nobody, Nobody) != 0)
            ::_exit(255);
        const Result<void> replaced = replaceFile(target, NewContents);
        ::_exit(replaced ? 0 : replaced.error().systemError);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 254;
}

TEST(ReplaceFile, UnprivilegedSaverWritesOnlyWhatItMayAndChangesNoOwner) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    struct Case {
        const char* what;
        uid_t owner;
        mode_t fileMode;
        mode_t folderMode;
        int result;
    };
    const Case cases[] = {
        {"another's read-only file in a shared folder", 0, 0444, 01777, EACCES},
        {"one's own read-only file", Nobody, 0444, 01777, EACCES},
        {"another's writable file, updated in place", 0, 0666, 01777, 0},
        {"one's own file in a read-only folder, updated in place", Nobody, 0644, 0555, 0},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
        const std::string folder = dir.file("folder");
        const std::string target = folder + "/site.tws";
        fs::create_directory(folder);
        test::writeBytes(target, OldContents);
        ASSERT_EQ(::chown(target.c_str(), c.owner, c.owner), 0);
        ASSERT_EQ(::chmod(target.c_str(), c.fileMode), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);

        EXPECT_EQ(saveAsNobody(target), c.result) << c.what;
        EXPECT_EQ(test::readBytes(target), c.result == 0 ? NewContents : OldContents) << c.what;
        const struct stat after = statOf(target);
        EXPECT_EQ(std::tuple(after.st_uid, after.st_mode & 07777), std::tuple(c.owner, c.fileMode))
            << c.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
            << c.what;
    }
}

} // namespace
} // namespace marlow
