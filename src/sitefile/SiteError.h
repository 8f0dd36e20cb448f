// Failures of the site-file reader and writers, as the words the surveyor is
// shown: a message, the caption of its box, and, where the system or the
// file says more, a detail line.
#pragma once

#include <string>

namespace marlow {

enum class SiteErrorKind {
    None,
    CannotOpen,   // the system's text, "File Open Error"
    NotASiteFile, // "Not a Site File."
    Obsolete,     // an old format version
    Damaged,      // the file does not hold what its header promises
    CannotUpdate, // a save failed; the previous file is untouched
};

struct SiteError {
    SiteErrorKind kind = SiteErrorKind::None;
    std::string message;
    std::string caption;
    std::string detail;

    explicit operator bool() const { return kind != SiteErrorKind::None; }
};

SiteError cannotOpenError(int errorNumber);
SiteError notASiteFileError();
SiteError obsoleteError();
SiteError damagedError(const std::string& why);
SiteError cannotUpdateError(const std::string& detail);

} // namespace marlow
