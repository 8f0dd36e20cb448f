// Crash-safe replacement of a file: write beside it, flush, rename over it.
#include "ReplacementFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace marlow {

namespace {

std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

ReplacementFile::~ReplacementFile() {
    discard();
}

Result<void> ReplacementFile::create(const std::string& target) {
    discard();
    char resolved[PATH_MAX];
    m_target = ::realpath(target.c_str(), resolved) ? std::string(resolved) : target;
    std::string pattern = directoryOf(m_target) + "/." + baseNameOf(m_target) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        return fail(Error::fromErrno({}));
    m_temporary = name.data();
    return {};
}

Result<void> ReplacementFile::commit() {
    struct stat old {};
    const mode_t mode = ::stat(m_target.c_str(), &old) == 0 ? (old.st_mode & 07777) : newFileMode();
    // The failure is taken before discard's own calls can change errno.
    const auto failure = [this] {
        Error error = Error::fromErrno({});
        discard();
        return fail(std::move(error));
    };
    if (::fchmod(m_fd, mode) != 0 || ::fsync(m_fd) != 0)
        return failure();
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 || ::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        return failure();
    m_temporary.clear();
    // The rename itself reaches the disk with the directory.
    const int dir = ::open(directoryOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

void ReplacementFile::discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

} // namespace marlow
