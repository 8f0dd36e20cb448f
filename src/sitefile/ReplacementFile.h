// Putting new contents into a file so that the file stays the file it was:
// same owner, group, mode, extended attributes and hard links, and the old
// contents whole if the save fails.
//
// Normally the new contents go into a temporary file beside the target,
// which is flushed and renamed over it: a failure or a crash at any moment
// leaves either the old file or the new one. Where a rename would make a
// different file (more hard links than one, an owner or attribute this user
// cannot give a new file, a folder where no new file may be made), the
// target is updated in place instead, from contents already complete in
// memory, and flushed.
#pragma once

#include "FileCalls.h"
#include "base/Result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace marlow {

// Temporary files of a save are named ".mfw-" and six letters or digits.
constexpr std::string_view TemporaryPrefix = ".mfw-";

// Makes `contents` the whole of the file at `path`. A symbolic link is
// followed and the file it names is written; a link to nothing is an error.
// A file that does not exist is created. Nothing is written unless this
// user may write the existing file itself.
Result<void> replaceFile(const std::string& path, std::span<const std::uint8_t> contents,
                         FileCalls& calls = systemFileCalls());

// Removes temporary files left beside the file at `path` by saves that
// were killed: only names of our exact pattern, regular files owned by
// this user and not held by a save in progress. Call it when a site is
// opened (saves call it themselves). Returns how many were removed.
std::size_t removeStaleTemporaries(const std::string& path);

} // namespace marlow
