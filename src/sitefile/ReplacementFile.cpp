// New contents for a file: by a flushed temporary renamed over it, or in
// place where a rename would change what the file is.
#include "ReplacementFile.h"

#include "FileIdentity.h"
#include "FileIo.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marlow {

namespace {

constexpr std::size_t TemporaryRandomLength = 6; // mkostemp's XXXXXX

std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

Failure<Error> systemFailure() {
    return fail(Error::fromErrno({}));
}

// The file a save writes: the path with its links followed, and whether it
// exists yet.
struct Target {
    std::string path;
    bool exists = false;
};

Result<Target> resolve(const std::string& path) {
    if (path.empty())
        return fail(Error::fromErrno({}, ENOENT));
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT ? Result<Target>(Target{path, false}) : systemFailure();
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved))
        return Target{resolved, true};
    if (errno == ENOENT)
        return fail(Error{path + " is a symbolic link to a file that does not exist", ENOENT});
    return systemFailure();
}

Result<void> writeAll(FileCalls& calls, int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            calls.writeAt(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return systemFailure();
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

Result<void> updateInPlace(FileCalls& calls, int fd, std::span<const std::uint8_t> contents) {
    if (Result<void> written = writeAll(calls, fd, contents); !written)
        return written;
    if (calls.truncate(fd, static_cast<off_t>(contents.size())) != 0 || calls.sync(fd) != 0)
        return systemFailure();
    return {};
}

// A temporary file beside the target, removed unless it was renamed.
class Temporary {
public:
    explicit Temporary(FileCalls& calls) : m_calls(calls) {}
    ~Temporary() {
        if (m_fd >= 0)
            m_calls.close(m_fd);
        if (!m_name.empty())
            ::unlink(m_name.c_str());
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;

    // Errno is left as mkostemp set it when this fails.
    bool create(const std::string& directory) {
        std::string pattern = directory + "/" + std::string(TemporaryPrefix) +
                              std::string(TemporaryRandomLength, 'X');
        m_fd = m_calls.createTemporary(pattern);
        if (m_fd < 0)
            return false;
        m_name = pattern;
        // Held while the save runs, so that another instance's clean-up
        // leaves the file alone; a killed save lets go of it.
        ::flock(m_fd, LOCK_EX);
        return true;
    }
    int fd() const { return m_fd; }

    // Flushes the contents, closes the file and renames it to target.
    Result<void> commit(const std::string& target) {
        if (m_calls.sync(m_fd) != 0)
            return systemFailure();
        const int fd = m_fd;
        m_fd = -1;
        if (m_calls.close(fd) != 0 || m_calls.rename(m_name, target) != 0)
            return systemFailure();
        m_name.clear();
        // The rename itself reaches the disk with the directory.
        const FileDescriptor dir(
            ::open(directoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.valid())
            ::fsync(dir.get());
        return {};
    }

private:
    FileCalls& m_calls;
    std::string m_name;
    int m_fd = -1;
};

bool isOurTemporaryName(std::string_view name) {
    if (name.size() != TemporaryPrefix.size() + TemporaryRandomLength ||
        !name.starts_with(TemporaryPrefix))
        return false;
    for (const char c : name.substr(TemporaryPrefix.size())) {
        const bool alphanumeric =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alphanumeric)
            return false;
    }
    return true;
}

std::size_t removeStaleIn(const std::string& directory) {
    DIR* dir = ::opendir(directory.c_str());
    if (!dir)
        return 0;
    std::size_t removed = 0;
    const uid_t self = ::geteuid();
    while (const dirent* entry = ::readdir(dir)) {
        if (!isOurTemporaryName(entry->d_name))
            continue;
        const FileDescriptor file(
            ::openat(::dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (!file.valid() || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != self || ::flock(file.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace

std::size_t removeStaleTemporaries(const std::string& path) {
    char resolved[PATH_MAX];
    return removeStaleIn(directoryOf(::realpath(path.c_str(), resolved) ? resolved : path));
}

Result<void> replaceFile(const std::string& path, std::span<const std::uint8_t> contents,
                         FileCalls& calls) {
    const Result<Target> target = resolve(path);
    if (!target)
        return fail(target.error());
    const std::string directory = directoryOf(target->path);

    // Opened for writing first, as an update in place would be: a file this
    // user may not write is not replaced either.
    FileDescriptor old(target->exists ? calls.openForWriting(target->path) : -1);
    struct stat st {};
    if (target->exists) {
        if (!old.valid() || ::fstat(old.get(), &st) != 0)
            return systemFailure();
        if (!S_ISREG(st.st_mode))
            return fail(Error{target->path + " is not a regular file", EINVAL});
    }
    removeStaleIn(directory);

    if (target->exists && st.st_nlink > 1)
        return updateInPlace(calls, old.get(), contents);
    Temporary temporary(calls);
    if (!temporary.create(directory)) {
        if (target->exists && (errno == EACCES || errno == EPERM))
            return updateInPlace(calls, old.get(), contents);
        return systemFailure();
    }
    if (target->exists) {
        const Result<bool> kept = copyIdentity(old.get(), st, temporary.fd());
        if (!kept)
            return fail(kept.error());
        if (!*kept)
            return updateInPlace(calls, old.get(), contents);
    } else if (::fchmod(temporary.fd(), newFileMode()) != 0) {
        return systemFailure();
    }
    if (Result<void> written = writeAll(calls, temporary.fd(), contents); !written)
        return written;
    return temporary.commit(target->path);
}

} // namespace marlow
