// The journal's files; see Journal.h.
#include "Journal.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace marlow {

namespace {

// FNV-1a, 64 bits: stable across runs and builds, unlike std::hash.
std::uint64_t pathHash(const std::string& text) {
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001B3ULL;
    }
    return hash;
}

// Syncs the folder so that a new or renamed entry in it survives a crash.
void syncFolder(const std::filesystem::path& folder, const SyncFile& sync) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)sync(fd);
    ::close(fd);
}

} // namespace

std::filesystem::path defaultJournalFolder(const std::function<const char*(const char*)>& getEnv) {
    std::filesystem::path state;
    if (const char* xdg = getEnv("XDG_STATE_HOME"); xdg && xdg[0] == '/')
        state = xdg;
    else if (const char* home = getEnv("HOME"); home && home[0] != '\0')
        state = std::filesystem::path(home) / ".local" / "state";
    else
        state = std::filesystem::temp_directory_path();
    return state / "marlow" / "journals";
}

std::filesystem::path journalPathFor(const std::filesystem::path& folder,
                                     const std::string& canonicalPath) {
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.journal",
                  static_cast<unsigned long long>(pathHash(canonicalPath)));
    return folder / name;
}

Result<SiteIdentity> identifySite(const std::string& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::canonical(path, error);
    if (error)
        return fail(Error{"Cannot find " + path + ": " + error.message(), error.value()});
    struct stat info {};
    if (::stat(canonical.c_str(), &info) != 0)
        return fail(Error::fromErrno("Cannot examine " + canonical.string()));
    return SiteIdentity{canonical.string(), static_cast<std::uint64_t>(info.st_size),
                        std::int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec};
}

int syncData(int fd) {
    return ::fdatasync(fd);
}

JournalFile::~JournalFile() {
    close();
}

void JournalFile::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

Result<void> JournalFile::create(const std::filesystem::path& path, const JournalHeader& header) {
    close();
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error)
        return fail(Error{"Cannot make " + path.parent_path().string() + ": " + error.message(),
                          error.value()});
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return fail(Error::fromErrno("Cannot create " + path.string()));
    Result<void> written = writeSynced(encodeJournalStart(header));
    syncFolder(path.parent_path(), m_sync);
    return written;
}

Result<void> JournalFile::resume(const std::filesystem::path& path, std::size_t completeBytes) {
    close();
    m_fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (m_fd < 0)
        return fail(Error::fromErrno("Cannot open " + path.string()));
    if (::ftruncate(m_fd, static_cast<off_t>(completeBytes)) != 0 || m_sync(m_fd) != 0) {
        const int saved = errno;
        close();
        return fail(Error::fromErrno("Cannot repair " + path.string(), saved));
    }
    return {};
}

Result<void> JournalFile::append(const JournalEntry& entry) {
    if (m_fd < 0)
        return fail(Error{"No journal is open."});
    return writeSynced(encodeJournalEntry(entry));
}

Result<void> JournalFile::writeSynced(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(Error::fromErrno("Cannot write the journal"));
        done += static_cast<std::size_t>(n);
    }
    if (m_sync(m_fd) != 0)
        return fail(Error::fromErrno("Cannot sync the journal"));
    return {};
}

std::optional<JournalContents> readJournal(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return std::nullopt;
    // Read in one piece: a long walk's journal is megabytes.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return decodeJournal(bytes);
}

Result<std::filesystem::path> setAsideJournal(const std::filesystem::path& path, std::int64_t now) {
    const auto seconds = static_cast<std::time_t>(now);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::filesystem::path aside = path;
    aside += std::string(".set-aside-") + stamp;
    // A second set-aside within the same second keeps the first.
    for (int n = 2; std::filesystem::exists(aside); ++n) {
        aside = path;
        aside += std::string(".set-aside-") + stamp + "-" + std::to_string(n);
    }
    std::error_code error;
    std::filesystem::rename(path, aside, error);
    if (error)
        return fail(
            Error{"Cannot set aside " + path.string() + ": " + error.message(), error.value()});
    syncFolder(path.parent_path(), syncData);
    return aside;
}

bool clearJournal(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
    return !error;
}

} // namespace marlow
