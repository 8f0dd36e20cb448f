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

SiteError systemFailure() {
    return cannotUpdateError(std::strerror(errno));
}

// Writes the survey data section, which ends the file, and puts the new
// file in place.
SiteError finish(ReplacementFile& file, std::uint64_t dataOffset, const RecordList& store,
                 SplitRule rule) {
    const std::vector<std::uint8_t> data = encodeSurveyData(store, rule);
    if (!writeAt(file.fd(), data.data(), data.size(), dataOffset))
        return systemFailure();
    if (!file.commit())
        return systemFailure();
    return {};
}

} // namespace

SiteError saveSiteData(const std::string& path, SiteState& site, const RecordList& store,
                       const SignatureSource& signature, std::uint32_t saveTime) {
    const SiteLayout layout = layoutOf(site);
    if (auto why = checkLayout(layout))
        return cannotUpdateError("The site file's layout does not leave room for the survey: " +
                                 *why);

    ReplacementFile file;
    if (path.empty() || !file.create(path))
        return systemFailure();
    // The old file supplies every byte that the save does not write; a
    // missing file reads as zeros, as a file newly created in place would.
    FileDescriptor old(::open(file.target().c_str(), O_RDONLY | O_CLOEXEC));
    if (!old.valid() && errno != ENOENT)
        return systemFailure();

    HeaderBytes header = site.header;
    stampHeader(header, saveTime);
    const std::vector<std::uint8_t> block = encodeSignatureBlock(signature);
    const std::uint64_t signatureEnd = layout.signatureOffset + SignatureBlockSize;

    const int fd = file.fd();
    if (old.valid() &&
        (!copyRange(old.get(), SiteHeaderSize, fd, SiteHeaderSize,
                    layout.signatureOffset - SiteHeaderSize) ||
         !copyRange(old.get(), signatureEnd, fd, signatureEnd, layout.dataOffset - signatureEnd)))
        return systemFailure();
    if (!writeAt(fd, header.data(), header.size(), 0) ||
        !writeAt(fd, block.data(), block.size(), layout.signatureOffset))
        return systemFailure();
    if (SiteError error = finish(file, layout.dataOffset, store, SplitRule::SaveSiteData))
        return error;

    site.header = header;
    site.pointRecordSize = StoredPointRecordSize;
    site.apRecordSize = StoredApRecordSize;
    return {};
}

SiteError rewriteSite(const std::string& path, SiteState& site, const RecordList& store,
                      const std::string& bitmapPath) {
    FileDescriptor bitmap(::open(bitmapPath.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!bitmap.valid() || ::fstat(bitmap.get(), &st) != 0)
        return cannotUpdateError("Cannot read the floor plan " + bitmapPath + ": " +
                                 std::strerror(errno));
    const std::uint64_t dataOffset = layoutOf(site).dataOffset;
    if (SiteHeaderSize + static_cast<std::uint64_t>(st.st_size) > dataOffset)
        return cannotUpdateError("The floor plan " + bitmapPath +
                                 " does not fit before the survey data.");

    ReplacementFile file;
    if (path.empty() || !file.create(path))
        return systemFailure();
    const int fd = file.fd();
    if (!writeAt(fd, site.header.data(), site.header.size(), 0) ||
        !copyRange(bitmap.get(), 0, fd, SiteHeaderSize, static_cast<std::uint64_t>(st.st_size)))
        return systemFailure();
    if (SiteError error = finish(file, dataOffset, store, SplitRule::FullRewrite))
        return error;

    site.pointRecordSize = StoredPointRecordSize;
    site.apRecordSize = StoredApRecordSize;
    return {};
}

} // namespace marlow
