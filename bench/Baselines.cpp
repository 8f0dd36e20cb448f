// Plain POSIX reads and writes for the baselines, kept apart from the
// site-file code so that they measure only what the system itself costs.
#include "Baselines.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marlow::bench {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now, for the callers that must see close fail.
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool readAll(int fd, char* buffer, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::read(fd, buffer + done, length - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO; // the file shrank under us
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool writeAll(int fd, const char* buffer, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = ::write(fd, buffer + done, length - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

bool syncDirectory(const std::string& path) {
    Descriptor dir(::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return dir.get() >= 0 && ::fsync(dir.get()) == 0;
}

bool writeAndRename(const std::vector<char>& bytes, const std::string& temporary,
                    const std::string& target, Durability durability) {
    Descriptor out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (out.get() < 0)
        return false;
    if (!writeAll(out.get(), bytes.data(), bytes.size()))
        return false;
    if (durability == Durability::Flushed && ::fsync(out.get()) != 0)
        return false;
    if (!out.close() || ::rename(temporary.c_str(), target.c_str()) != 0)
        return false;
    return durability == Durability::Unflushed || syncDirectory(target);
}

} // namespace

std::optional<std::vector<char>> readWholeFile(const std::string& path) {
    Descriptor in(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (in.get() < 0 || ::fstat(in.get(), &st) != 0)
        return std::nullopt;
    std::vector<char> bytes(static_cast<std::size_t>(st.st_size));
    if (!readAll(in.get(), bytes.data(), bytes.size()) || !in.close())
        return std::nullopt;
    return bytes;
}

bool replaceWithCopy(const std::string& source, const std::string& target, Durability durability) {
    const std::optional<std::vector<char>> bytes = readWholeFile(source);
    if (!bytes)
        return false;
    const std::string temporary = target + ".new";
    if (writeAndRename(*bytes, temporary, target, durability))
        return true;
    const int error = errno;
    ::unlink(temporary.c_str());
    errno = error;
    return false;
}

} // namespace marlow::bench
