// The two ways a survey goes back into its site file. Both make the file's
// complete new contents and hand them to replaceFile, so a failure leaves
// the previous file intact and the file keeps its owner, mode, attributes
// and links; the bytes of a successful write are exactly those of updating
// the file in place.
#pragma once

#include "SignatureBlock.h"
#include "SiteError.h"
#include "SiteFileState.h"
#include "store/RecordList.h"

#include <cstdint>
#include <string>
#include <vector>

namespace marlow {

// Save Site Data: the header (statusByte 0, saveTime), the signature block
// and the survey data section; everything else stays as the file has it.
// On success the site's header and record sizes are those written.
SiteResult<> saveSiteData(const std::string& path, SiteFileState& site, const RecordList& store,
                          const SignatureSource& signature, std::uint32_t saveTime);

// The complete contents Save Site Data gives the site, every byte it does
// not write taken from the file at sourcePath (the site file itself, for a
// save). Nothing is written.
SiteResult<std::vector<std::uint8_t>>
siteDataContents(const std::string& sourcePath, const SiteFileState& site, const RecordList& store,
                 const SignatureSource& signature, std::uint32_t saveTime);

// The full rewrite: the header as held, the floor plan copied from the
// bitmap file right after it, and the survey data section; no signature.
// The bitmap must be a regular file owned by this user, named directly: a
// symbolic link, a device, a FIFO or another user's file is refused.
SiteResult<> rewriteSite(const std::string& path, SiteFileState& site, const RecordList& store,
                         const std::string& bitmapPath);

} // namespace marlow
