// The journal on disk: where it lives, which site file it belongs to, and
// appending to it durably: each entry is written and synced before the
// append returns, so that what the screen shows survives a crash.
#pragma once

#include "JournalFormat.h"
#include "base/Result.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace marlow {

// Journals live in the user's state folder, not beside the site file:
// $XDG_STATE_HOME/marlow/journals, or ~/.local/state/marlow/journals when
// that is unset or not absolute. getEnv looks up a variable (null when
// unset).
std::filesystem::path
defaultJournalFolder(const std::function<const char*(const char*)>& getEnv = std::getenv);

// The journal of the site file at canonicalPath: named from a hash of the
// path, so that every site has its own.
std::filesystem::path journalPathFor(const std::filesystem::path& folder,
                                     const std::string& canonicalPath);

// The site file's canonical path, size and modification time now.
Result<SiteIdentity> identifySite(const std::string& path);

// Makes a file durable: fdatasync, or what a test puts in its place.
using SyncFile = std::function<int(int fd)>;
int syncData(int fd);

// An open journal, appended to entry by entry.
class JournalFile {
public:
    explicit JournalFile(SyncFile sync = syncData) : m_sync(std::move(sync)) {}
    ~JournalFile();
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    // Creates the journal at path (and its folder), replacing any there,
    // with the header alone, synced together with its folder entry.
    Result<void> create(const std::filesystem::path& path, const JournalHeader& header);
    // Opens an existing journal to append, first cutting off whatever
    // follows its complete entries.
    Result<void> resume(const std::filesystem::path& path, std::size_t completeBytes);
    // Writes the entry and syncs it before returning.
    Result<void> append(const JournalEntry& entry);
    bool isOpen() const { return m_fd >= 0; }
    void setSync(SyncFile sync) { m_sync = std::move(sync); }
    void close();

private:
    Result<void> writeSynced(const std::vector<std::uint8_t>& bytes);

    SyncFile m_sync;
    int m_fd = -1;
};

// The journal's complete entries; nothing when there is no journal at path
// or it has no readable header.
std::optional<JournalContents> readJournal(const std::filesystem::path& path);

// Renames the journal to "<name>.set-aside-<YYYYmmdd-HHMMSS>" (local time of
// now) beside it, where the user can find it; returns the new path.
Result<std::filesystem::path> setAsideJournal(const std::filesystem::path& path, std::int64_t now);

// Removes the journal; true when none is left.
bool clearJournal(const std::filesystem::path& path);

} // namespace marlow
