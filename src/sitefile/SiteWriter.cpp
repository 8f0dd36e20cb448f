// Save Site Data and the full rewrite, each as the complete new contents of
// the site file, made in memory and then put into the file.
#include "SiteWriter.h"

#include "FileIo.h"
#include "ReplacementFile.h"
#include "SiteFormat.h"
#include "SurveyData.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marlow {

namespace {

// A failed system call of a save, as the surveyor is told of it.
Failure<SiteError> updateFailure(const Error& error) {
    return fail(cannotUpdateError(error.message));
}

// Ends the new contents with the survey data section.
void appendSurveyData(std::vector<std::uint8_t>& contents, const RecordList& store,
                      SplitRule rule) {
    const std::vector<std::uint8_t> data = encodeSurveyData(store, rule);
    contents.insert(contents.end(), data.begin(), data.end());
}

// Puts the new contents into the site file.
SiteResult<> put(const std::string& path, const std::vector<std::uint8_t>& contents) {
    if (Result<void> replaced = replaceFile(path, contents); !replaced)
        return updateFailure(replaced.error());
    return {};
}

// Why a floor-plan file found in the bitmap's place is not used.
std::string refusedPlan(const std::string& bitmapPath, const std::string& why) {
    return "The floor plan " + bitmapPath + " " + why + "; it is not used.";
}

} // namespace

SiteResult<std::vector<std::uint8_t>>
siteDataContents(const std::string& sourcePath, const SiteFileState& site, const RecordList& store,
                 const SignatureSource& signature, std::uint32_t saveTime) {
    const SiteLayout layout = layoutOf(site);
    if (Result<void> fits = checkLayout(layout); !fits)
        return fail(cannotUpdateError(
            "The site file's layout does not leave room for the survey: " + fits.error().message));

    // The source supplies every byte before the survey data that the save
    // does not write; a missing file, or one cut short, reads as zeros, as a
    // file updated in place would.
    std::vector<std::uint8_t> contents(layout.dataOffset, 0);
    const FileDescriptor old(::open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!old.valid() && errno != ENOENT)
        return updateFailure(Error::fromErrno({}));
    if (old.valid()) {
        if (Result<std::size_t> read = readAt(old.get(), contents.data(), contents.size(), 0);
            !read)
            return updateFailure(read.error());
    }

    HeaderBytes header = site.header;
    stampHeader(header, saveTime);
    const std::vector<std::uint8_t> block = encodeSignatureBlock(signature);
    std::copy(header.begin(), header.end(), contents.begin());
    std::copy(block.begin(), block.end(),
              contents.begin() + static_cast<std::ptrdiff_t>(layout.signatureOffset));
    appendSurveyData(contents, store, SplitRule::SaveSiteData);
    return contents;
}

SiteResult<> saveSiteData(const std::string& path, SiteFileState& site, const RecordList& store,
                          const SignatureSource& signature, std::uint32_t saveTime) {
    const SiteResult<std::vector<std::uint8_t>> contents =
        siteDataContents(path, site, store, signature, saveTime);
    if (!contents)
        return fail(contents.error());
    if (SiteResult<> written = put(path, *contents); !written)
        return written;

    std::copy_n(contents->begin(), site.header.size(), site.header.begin());
    site.pointRecordSize = StoredPointRecordSize;
    site.apRecordSize = StoredApRecordSize;
    return {};
}

SiteResult<> rewriteSite(const std::string& path, SiteFileState& site, const RecordList& store,
                         const std::string& bitmapPath) {
    // The plan lies under a fixed name in a folder every user may write, so
    // anyone could have put something there first: a link is not followed,
    // and only a regular file of this user's own is copied into the site.
    // Non-blocking, so that a FIFO in its place cannot hang the rewrite.
    const FileDescriptor bitmap(
        ::open(bitmapPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!bitmap.valid() || ::fstat(bitmap.get(), &st) != 0) {
        const int error = errno;
        return fail(cannotUpdateError(error == ELOOP ? refusedPlan(bitmapPath, "is a symbolic link")
                                                     : "Cannot read the floor plan " + bitmapPath +
                                                           ": " + std::strerror(error)));
    }
    if (!S_ISREG(st.st_mode))
        return fail(cannotUpdateError(refusedPlan(bitmapPath, "is not a regular file")));
    if (st.st_uid != ::geteuid())
        return fail(cannotUpdateError(refusedPlan(bitmapPath, "is not owned by you")));
    const std::uint64_t dataOffset = layoutOf(site).dataOffset;
    const auto bitmapSize = static_cast<std::uint64_t>(st.st_size);
    if (SiteHeaderSize + bitmapSize > dataOffset)
        return fail(cannotUpdateError("The floor plan " + bitmapPath +
                                      " does not fit before the survey data."));

    // The header, the plan right after it, and zeros up to the survey data.
    std::vector<std::uint8_t> contents(dataOffset, 0);
    std::copy(site.header.begin(), site.header.end(), contents.begin());
    if (Result<std::size_t> read =
            readAt(bitmap.get(), contents.data() + SiteHeaderSize, bitmapSize, 0);
        !read)
        return updateFailure(read.error());
    appendSurveyData(contents, store, SplitRule::FullRewrite);
    if (SiteResult<> written = put(path, contents); !written)
        return written;

    site.pointRecordSize = StoredPointRecordSize;
    site.apRecordSize = StoredApRecordSize;
    return {};
}

} // namespace marlow
