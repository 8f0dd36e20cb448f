// Failures of the site-file reader and writers, as the words the surveyor is
// shown: a message, the caption of its box, and, where the system or the
// file says more, a detail line. They travel as the error of a
// Result<T, SiteError>.
#pragma once

#include "base/Result.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace marlow {

enum class SiteErrorKind {
    CannotOpen,   // the system's text, "File Open Error"
    NotASiteFile, // "Not a Site File."
    Obsolete,     // an old format version
    Damaged,      // the file does not hold what its header promises
    CannotUpdate, // a save failed; the previous file is untouched
    TooLarge,     // the file holds more survey records than may be loaded
    OutOfMemory,  // memory ran out while the file was read
};

struct SiteError {
    SiteErrorKind kind;
    std::string message;
    std::string caption;
    std::string detail;
};

SiteError cannotOpenError(int errorNumber);
SiteError notASiteFileError();
SiteError obsoleteError();
SiteError damagedError(const std::string& why);
SiteError cannotUpdateError(const std::string& detail);
SiteError tooLargeError(std::uint64_t maxRecords);
SiteError outOfMemoryError();

// What the surveyor is told when a file ends before all its stored points:
// pointsLoaded is how many complete points were loaded.
std::string endsEarlyMessage(std::size_t pointsLoaded);

// The result of the site file's operations that can fail.
template <typename T = void> using SiteResult = Result<T, SiteError>;

} // namespace marlow
