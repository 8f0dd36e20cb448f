// Small POSIX file helpers shared by the reader and the writers: whole reads
// that survive short transfers and interrupted calls, and a descriptor closed
// with its scope. A failure carries the system's error number and its text.
#pragma once

#include "base/Result.h"

#include <cstddef>
#include <cstdint>

namespace marlow {

// Reads up to length bytes at offset; the count read, less at the end of
// the file.
Result<std::size_t> readAt(int fd, void* buffer, std::size_t length, std::uint64_t offset);

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

private:
    int m_fd;
};

} // namespace marlow
