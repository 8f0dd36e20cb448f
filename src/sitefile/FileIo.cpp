// Whole reads at file offsets; descriptors closed with their scope.
#include "FileIo.h"

#include <cerrno>
#include <unistd.h>

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

FileDescriptor::~FileDescriptor() {
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace marlow
