// Appending whole sweep lines; see SweepRecorder.h.
#include "SweepRecorder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marlow::sweeplog {

Result<SweepRecorder> SweepRecorder::open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail(Error::fromErrno("cannot record to " + path));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(Error{"cannot record to " + path + ": not a regular file"});
    }
    return SweepRecorder(fd, path);
}

SweepRecorder::SweepRecorder(SweepRecorder&& other) noexcept
    : m_fd(other.m_fd), m_path(std::move(other.m_path)) {
    other.m_fd = -1;
}

SweepRecorder::~SweepRecorder() {
    if (m_fd >= 0)
        ::close(m_fd);
}

Result<void> SweepRecorder::append(const RecordedSweep& sweep) {
    const std::string line = sweepJsonLine(sweep);
    const off_t before = ::lseek(m_fd, 0, SEEK_END);
    if (before < 0)
        return fail(Error::fromErrno("cannot record to " + m_path));
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t count = ::write(m_fd, line.data() + written, line.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            Error error = count < 0 ? Error::fromErrno("cannot record to " + m_path)
                                    : Error{"cannot record to " + m_path + ": nothing written"};
            // Whole sweeps only: the part that went in comes out again.
            if (written > 0 && ::ftruncate(m_fd, before) != 0)
                error.message += " (and a part of the sweep stays at the file's end)";
            return fail(std::move(error));
        }
        written += static_cast<std::size_t>(count);
    }
    if (::fdatasync(m_fd) != 0)
        return fail(Error::fromErrno("cannot record to " + m_path));
    return {};
}

} // namespace marlow::sweeplog
