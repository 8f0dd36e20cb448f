// Where the tool's results go, every write checked: standard output through
// a buffer that keeps the first failure, and output files written whole or
// not at all.
#pragma once

#include "base/Result.h"

#include <cstdint>
#include <optional>
#include <span>
#include <streambuf>
#include <string>
#include <vector>

namespace marlow::tws {

// A stream buffer over a file descriptor. After a failed write the stream
// goes bad and nothing more is written; finish() tells why.
class DescriptorOutput final : public std::streambuf {
public:
    explicit DescriptorOutput(int fd);

    // Writes what is still buffered; the first failure of any write.
    Result<void> finish();

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool drain();

    int m_fd;
    std::vector<char> m_buffer;
    std::optional<Error> m_error;
};

// Makes bytes the contents of the file at path. A regular file, or a new
// one, is replaced through a flushed temporary beside it, so a failure
// leaves the old file or none, never part of the new one. Anything else
// that exists there (a device, a FIFO) is written directly.
Result<void> writeOutputFile(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace marlow::tws
