// The system's own file calls behind the FileCalls seam.
#include "FileCalls.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace marlow {

int FileCalls::openForWriting(const std::string& path) {
    // Non-blocking so that a FIFO in the site's place cannot hang the save.
    return ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
}

int FileCalls::createTemporary(std::string& pattern) {
    return ::mkostemp(pattern.data(), O_CLOEXEC);
}

ssize_t FileCalls::writeAt(int fd, const void* bytes, std::size_t length, off_t offset) {
    return ::pwrite(fd, bytes, length, offset);
}

int FileCalls::truncate(int fd, off_t length) {
    return ::ftruncate(fd, length);
}

int FileCalls::sync(int fd) {
    return ::fsync(fd);
}

int FileCalls::close(int fd) {
    return ::close(fd);
}

int FileCalls::rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str());
}

FileCalls& systemFileCalls() {
    static FileCalls calls;
    return calls;
}

} // namespace marlow
