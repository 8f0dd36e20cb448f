// Whole reads, writes and copies at file offsets.
#include "FileIo.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>
#include <vector>

namespace marlow {

namespace {

// The failure of the call that just set errno, in the system's words.
Failure<Error> systemFailure() {
    return fail(Error::fromErrno({}));
}

} // namespace

Result<std::size_t> readAt(int fd, void* buffer, std::size_t length, std::uint64_t offset) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, out + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return systemFailure();
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

Result<void> writeAt(int fd, const void* buffer, std::size_t length, std::uint64_t offset) {
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::pwrite(fd, in + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return systemFailure();
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

namespace {

Result<void> copyBuffered(int from, std::uint64_t fromOffset, int to, std::uint64_t toOffset,
                          std::uint64_t length) {
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(length, 1 << 20)));
    std::uint64_t done = 0;
    while (done < length) {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), length - done));
        const Result<std::size_t> n = readAt(from, buffer.data(), want, fromOffset + done);
        if (!n)
            return fail(n.error());
        if (*n == 0)
            return {};
        if (Result<void> written = writeAt(to, buffer.data(), *n, toOffset + done); !written)
            return written;
        done += *n;
    }
    return {};
}

} // namespace

Result<void> copyRange(int from, std::uint64_t fromOffset, int to, std::uint64_t toOffset,
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
            return systemFailure();
        }
        if (n == 0)
            return {};
        done += static_cast<std::uint64_t>(n);
    }
    return {};
}

FileDescriptor::~FileDescriptor() {
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace marlow
