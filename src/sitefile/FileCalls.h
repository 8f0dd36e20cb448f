// FileCalls: the system calls through which a save puts new bytes into a
// file. Saves take them as an object so that a test can watch their order
// (data flushed before the rename) or make any one of them fail.
#pragma once

#include <string>
#include <sys/types.h>

namespace marlow {

// Each call behaves as the system call it is named after: -1 with errno set
// on failure.
class FileCalls {
public:
    virtual ~FileCalls() = default;

    // An existing file opened for writing, neither created nor cut.
    virtual int openForWriting(const std::string& path);
    // mkostemp: the pattern's trailing XXXXXX becomes the name made.
    virtual int createTemporary(std::string& pattern);
    virtual ssize_t writeAt(int fd, const void* bytes, std::size_t length, off_t offset);
    virtual int truncate(int fd, off_t length);
    virtual int sync(int fd);
    virtual int close(int fd);
    virtual int rename(const std::string& from, const std::string& to);
};

// The calls as the system makes them.
FileCalls& systemFileCalls();

} // namespace marlow
