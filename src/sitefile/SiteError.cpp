// The site file's failures in the words and captions the surveyor sees.
#include "SiteError.h"

#include <cstring>

namespace marlow {

SiteError cannotOpenError(int errorNumber) {
    return {SiteErrorKind::CannotOpen, std::strerror(errorNumber), "File Open Error", {}};
}

SiteError notASiteFileError() {
    return {SiteErrorKind::NotASiteFile, "Not a Site File.", "File Error", {}};
}

SiteError obsoleteError() {
    return {
        SiteErrorKind::Obsolete, "Obsolete Site File, recreate using Planwright", "File Error", {}};
}

SiteError damagedError(const std::string& why) {
    return {SiteErrorKind::Damaged, "The site file is damaged: " + why, "File Error", {}};
}

SiteError cannotUpdateError(const std::string& detail) {
    return {SiteErrorKind::CannotUpdate, "Could not update site", "Site Update Error", detail};
}

SiteError tooLargeError(std::uint64_t maxRecords) {
    return {SiteErrorKind::TooLarge,
            "The site file is too large to load: it holds more than " + std::to_string(maxRecords) +
                " survey records.",
            "File Error",
            {}};
}

SiteError outOfMemoryError() {
    return {SiteErrorKind::OutOfMemory,
            "There is not enough memory to load the site file.",
            "File Error",
            {}};
}

std::string endsEarlyMessage(std::size_t pointsLoaded) {
    return "The site file ends early: " + std::to_string(pointsLoaded) +
           " points were loaded; the rest is missing.";
}

} // namespace marlow
