// Small POSIX file helpers shared by the reader and the writers: whole reads
// and writes that survive short transfers and interrupted calls. A failure
// carries the system's error number and its text.
#pragma once

#include "base/Result.h"

#include <cstddef>
#include <cstdint>

namespace marlow {

// Reads up to length bytes at offset; the count read, less at the end of
// the file.
Result<std::size_t> readAt(int fd, void* buffer, std::size_t length, std::uint64_t offset);

// Writes all length bytes at offset.
Result<void> writeAt(int fd, const void* buffer, std::size_t length, std::uint64_t offset);

// Copies length bytes from one file to the other at the given offsets. Bytes
// the source does not have are left to the destination (a hole reads as
// zeros).
Result<void> copyRange(int from, std::uint64_t fromOffset, int to, std::uint64_t toOffset,
                       std::uint64_t length);

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
