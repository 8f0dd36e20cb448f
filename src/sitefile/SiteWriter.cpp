// Save Site Data and the full rewrite, each as a complete new file put in
// place of the old one.
#include "SiteWriter.h"

#include "FileIo.h"
#include "ReplacementFile.h"
#include "SiteFormat.h"
#include "SurveyData.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>

namespace marlow {

namespace {

// A failed system call of a save, as the surveyor is told of it.
Failure<SiteError> updateFailure(const Error& error) {
    return fail(cannotUpdateError(error.message));
}

// Writes the survey data section, which ends the file, and puts the new
// file in place.
SiteResult<> finish(ReplacementFile& file, std::uint64_t dataOffset, const RecordList& store,
                    SplitRule rule) {
    const std::vector<std::uint8_t> data = encodeSurveyData(store, rule);
    if (Result<void> written = writeAt(file.fd(), data.data(), data.size(), dataOffset); !written)
        return updateFailure(written.error());
    if (Result<void> committed = file.commit(); !committed)
        return updateFailure(committed.error());
    return {};
}

// The replacement file for a save to path.
SiteResult<> createReplacement(ReplacementFile& file, const std::string& path) {
    if (path.empty())
        return updateFailure(Error::fromErrno({}, ENOENT));
    if (Result<void> created = file.create(path); !created)
        return updateFailure(created.error());
    return {};
}

} // namespace

SiteResult<> saveSiteData(const std::string& path, SiteFileState& site, const RecordList& store,
                          const SignatureSource& signature, std::uint32_t saveTime) {
    const SiteLayout layout = layoutOf(site);
    if (Result<void> fits = checkLayout(layout); !fits)
        return fail(cannotUpdateError(
            "The site file's layout does not leave room for the survey: " + fits.error().message));

    ReplacementFile file;
    if (SiteResult<> created = createReplacement(file, path); !created)
        return created;
    // The old file supplies every byte that the save does not write; a
    // missing file reads as zeros, as a file newly created in place would.
    FileDescriptor old(::open(file.target().c_str(), O_RDONLY | O_CLOEXEC));
    if (!old.valid() && errno != ENOENT)
        return updateFailure(Error::fromErrno({}));

    HeaderBytes header = site.header;
    stampHeader(header, saveTime);
    const std::vector<std::uint8_t> block = encodeSignatureBlock(signature);
    const std::uint64_t signatureEnd = layout.signatureOffset + SignatureBlockSize;

    const int fd = file.fd();
    if (old.valid()) {
        if (Result<void> copied = copyRange(old.get(), SiteHeaderSize, fd, SiteHeaderSize,
                                            layout.signatureOffset - SiteHeaderSize);
            !copied)
            return updateFailure(copied.error());
        if (Result<void> copied = copyRange(old.get(), signatureEnd, fd, signatureEnd,
                                            layout.dataOffset - signatureEnd);
            !copied)
            return updateFailure(copied.error());
    }
    if (Result<void> written = writeAt(fd, header.data(), header.size(), 0); !written)
        return updateFailure(written.error());
    if (Result<void> written = writeAt(fd, block.data(), block.size(), layout.signatureOffset);
        !written)
        return updateFailure(written.error());
    if (SiteResult<> finished = finish(file, layout.dataOffset, store, SplitRule::SaveSiteData);
        !finished)
        return finished;

    site.header = header;
    site.pointRecordSize = StoredPointRecordSize;
    site.apRecordSize = StoredApRecordSize;
    return {};
}

SiteResult<> rewriteSite(const std::string& path, SiteFileState& site, const RecordList& store,
                         const std::string& bitmapPath) {
    FileDescriptor bitmap(::open(bitmapPath.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!bitmap.valid() || ::fstat(bitmap.get(), &st) != 0)
        return fail(cannotUpdateError("Cannot read the floor plan " + bitmapPath + ": " +
                                      std::strerror(errno)));
    const std::uint64_t dataOffset = layoutOf(site).dataOffset;
    if (SiteHeaderSize + static_cast<std::uint64_t>(st.st_size) > dataOffset)
        return fail(cannotUpdateError("The floor plan " + bitmapPath +
                                      " does not fit before the survey data."));

    ReplacementFile file;
    if (SiteResult<> created = createReplacement(file, path); !created)
        return created;
    const int fd = file.fd();
    if (Result<void> written = writeAt(fd, site.header.data(), site.header.size(), 0); !written)
        return updateFailure(written.error());
    if (Result<void> copied =
            copyRange(bitmap.get(), 0, fd, SiteHeaderSize, static_cast<std::uint64_t>(st.st_size));
        !copied)
        return updateFailure(copied.error());
    if (SiteResult<> finished = finish(file, dataOffset, store, SplitRule::FullRewrite); !finished)
        return finished;

    site.pointRecordSize = StoredPointRecordSize;
    site.apRecordSize = StoredApRecordSize;
    return {};
}

} // namespace marlow
