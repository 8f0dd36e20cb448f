// What the site-file code is measured against: reading a whole file into
// memory, and copying a file over another with or without the flush to disk
// that a crash-safe replacement needs.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace marlow::bench {

// Open, read the whole file into a buffer sized to it, close. Empty with
// errno set on failure.
std::optional<std::vector<char>> readWholeFile(const std::string& path);

enum class Durability {
    // The new file and the rename are on disk before the copy returns: the
    // guarantee a crash-safe save gives.
    Flushed,
    // Nothing waits for the disk.
    Unflushed,
};

// Reads source whole, writes it to a new file beside target and renames that
// over target. False with errno set on failure; the new file is removed.
bool replaceWithCopy(const std::string& source, const std::string& target, Durability durability);

} // namespace marlow::bench
