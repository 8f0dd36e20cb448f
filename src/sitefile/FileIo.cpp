#include "FileIo.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>
#include <vector>

namespace marlow {

ssize_t readAt(int fd, void* buffer, std::size_t length, std::uint64_t offset) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, out + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool writeAt(int fd, const void* buffer, std::size_t length, std::uint64_t offset) {
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pwrite(fd, in + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

namespace {

bool copyBuffered(int from, std::uint64_t fromOffset, int to, std::uint64_t toOffset,
                  std::uint64_t length) {
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(length, 1 << 20)));
    std::uint64_t done = 0;
    while (done < length) {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), length - done));
        const ssize_t n = readAt(from, buffer.data(), want, fromOffset + done);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!writeAt(to, buffer.data(), static_cast<std::size_t>(n), toOffset + done))
            return false;
        done += static_cast<std::uint64_t>(n);
    }
    return true;
}

} // namespace

bool copyRange(int from, std::uint64_t fromOffset, int to, std::uint64_t toOffset,
               std::uint64_t length) {
    // The kernel copies without a round trip through user space where it can;
    // file systems that refuse get a buffered copy.
    auto in = static_cast<off_t>(fromOffset);
    auto out = static_cast<off_t>(toOffset);
    std::uint64_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::copy_file_range(from, &in, to, &out, static_cast<std::size_t>(length - done), 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (done == 0 &&
                (errno == ENOSYS || errno == EXDEV || errno == EINVAL || errno == EOPNOTSUPP))
                return copyBuffered(from, fromOffset, to, toOffset, length);
            return false;
        }
        if (n == 0)
            return true;
        done += static_cast<std::uint64_t>(n);
    }
    return true;
}

FileDescriptor::~FileDescriptor() {
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace marlow
