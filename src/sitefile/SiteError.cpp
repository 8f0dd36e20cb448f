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

} // namespace marlow
