// Checked output: the standard-output buffer and whole output files.
#include "Output.h"

#include "sitefile/ReplacementFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marlow::tws {

namespace {

constexpr std::size_t BufferSize = 64 * 1024;

// Writes all of bytes, through short writes and interrupted calls.
Result<void> writeAll(int fd, const void* bytes, std::size_t length) {
    const auto* at = static_cast<const char*>(bytes);
    while (length > 0) {
        const ssize_t n = ::write(fd, at, length);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(Error::fromErrno({}));
        }
        at += n;
        length -= static_cast<std::size_t>(n);
    }
    return {};
}

// A device or FIFO can neither be replaced nor flushed to a disk: the bytes
// go straight to it, and closing it is checked too.
Result<void> writeDirectly(const std::string& path, std::span<const std::uint8_t> bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(Error::fromErrno({}));
    Result<void> written = writeAll(fd, bytes.data(), bytes.size());
    if (::close(fd) != 0 && written)
        return fail(Error::fromErrno({}));
    return written;
}

} // namespace

DescriptorOutput::DescriptorOutput(int fd) : m_fd(fd), m_buffer(BufferSize) {
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

Result<void> DescriptorOutput::finish() {
    drain();
    if (m_error)
        return fail(*m_error);
    return {};
}

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c) {
    if (!drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int DescriptorOutput::sync() {
    return drain() ? 0 : -1;
}

bool DescriptorOutput::drain() {
    if (m_error)
        return false;
    if (Result<void> written = writeAll(m_fd, pbase(), static_cast<std::size_t>(pptr() - pbase()));
        !written)
        m_error = written.error();
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return !m_error;
}

Result<void> writeOutputFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return writeDirectly(path, bytes);
    return replaceFile(path, bytes);
}

} // namespace marlow::tws
