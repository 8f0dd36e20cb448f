// The tws commands: each opens what it needs and reports any failure
// naming the file.
#include "Commands.h"

#include "Merge.h"
#include "Output.h"
#include "PictureFile.h"
#include "PlanImage.h"
#include "SiteImages.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteCreator.h"
#include "sitefile/SiteExport.h"
#include "sitefile/SiteFormat.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"
#include "store/SurveyPoints.h"

#include <ctime>
#include <iostream>
#include <ostream>
#include <unistd.h>

namespace marlow::tws {

namespace {

using Writer = void (*)(std::ostream&, const OpenedSite&, const RecordList&);

// Opens the site, loads its points as the program would and hands both on,
// writing to standard output. Output to a full disk or a closed pipe is a
// failure too, reported with the system's reason.
int withLoadedSite(const std::string& path, Writer write) {
    const SiteResult<OpenedSite> opened = openSite(path);
    if (!opened)
        return fileError(path, opened.error());
    RecordList store;
    loadPoints(*opened, store, nullptr);
    noteEndsEarly(path, *opened, store);
    DescriptorOutput buffer(STDOUT_FILENO);
    std::ostream out(&buffer);
    write(out, *opened, store);
    if (const Result<void> written = buffer.finish(); !written) {
        std::cerr << "tws: cannot write the output: " << written.error().message << '\n';
        return ExitFileError;
    }
    return ExitOk;
}

// The signature a site file holds, given back as it was read.
class StoredSignature final : public SignatureSource {
public:
    explicit StoredSignature(const SignaturePixels& pixels) : m_pixels(pixels) {}
    std::uint32_t readSignaturePixel(int x, int y) const override {
        return m_pixels[static_cast<std::size_t>(y * SignatureWidth + x)];
    }

private:
    const SignaturePixels& m_pixels;
};

// Opens a site to merge. One that ends before all its points is refused:
// the joined file would silently lack what was cut off.
SiteResult<OpenedSite> openWhole(const std::string& path) {
    SiteResult<OpenedSite> opened = openSite(path);
    if (opened && opened->points.endsEarly)
        return fail(damagedError("it ends before all its survey points; nothing is merged."));
    return opened;
}

} // namespace

int usageError(const std::string& problem) {
    std::cerr << "tws: " << problem << "\nTry 'tws --help'.\n";
    return ExitUsage;
}

int fileError(const std::string& path, const std::string& problem) {
    std::cerr << "tws: " << path << ": " << problem << '\n';
    return ExitFileError;
}

void noteEndsEarly(const std::string& path, const OpenedSite& site, const RecordList& store) {
    if (site.points.endsEarly)
        std::cerr << "tws: " << path << ": " << endsEarlyMessage(surveyPointCount(store)) << '\n';
}

int fileError(const std::string& path, const SiteError& error) {
    return fileError(path, error.detail.empty() ? error.message
                                                : error.message + " (" + error.detail + ')');
}

int createCommand(const std::string& planPath, const std::string& sitePath) {
    const Result<SiteBitmap> plan = loadPlan(QString::fromStdString(planPath));
    if (!plan)
        return fileError(planPath, plan.error().message);
    const auto now = static_cast<std::uint32_t>(std::time(nullptr));
    if (const SiteResult<> created = createSite(sitePath, *plan, now); !created)
        return fileError(sitePath, created.error());
    return ExitOk;
}

int infoCommand(const std::string& path) {
    return withLoadedSite(path, writeInfo);
}

int dumpCommand(const std::string& path) {
    return withLoadedSite(path, writeJson);
}

int csvExportCommand(const std::string& path) {
    return withLoadedSite(path, [](std::ostream& out, const OpenedSite&, const RecordList& store) {
        writeCsv(out, store);
    });
}

int signatureCommand(const std::string& path, const std::string& picturePath) {
    const SiteResult<OpenedSite> opened = openSite(path);
    if (!opened)
        return fileError(path, opened.error());
    const std::uint32_t offset = decodeHeader(opened->file.header).signatureOffset;
    const SiteResult<SignaturePixels> signature = readSignature(path, offset);
    if (!signature)
        return fileError(path, signature.error());

    if (const Result<void> written = writePng(picturePath, signatureImage(*signature)); !written)
        return fileError(picturePath, written.error().message);
    return ExitOk;
}

int mergeCommand(const std::vector<std::string>& inputs, const std::string& outPath) {
    const std::string& firstPath = inputs.front();
    const SiteResult<OpenedSite> first = openWhole(firstPath);
    if (!first)
        return fileError(firstPath, first.error());
    const HeaderBytes& header = first->file.header;
    const SiteResult<SignaturePixels> signature =
        readSignature(firstPath, decodeHeader(header).signatureOffset);
    if (!signature)
        return fileError(firstPath, signature.error());

    // Each site's points are taken as stored, and joined in the order the
    // sites are given.
    PointJoiner joiner;
    {
        RecordList loaded;
        loadPointsAsStored(*first, loaded);
        joiner.add(loaded);
    }
    for (auto path = inputs.begin() + 1; path != inputs.end(); ++path) {
        const SiteResult<OpenedSite> other = openWhole(*path);
        if (!other)
            return fileError(*path, other.error());
        if (const std::optional<std::string> differs = planDifference(first->bitmap, other->bitmap))
            return fileError(*path, "not the floor plan of " + firstPath + ": " + *differs + '.');
        RecordList loaded;
        loadPointsAsStored(*other, loaded);
        joiner.add(loaded);
    }

    // Saved as Save Site Data saves the first site, at the time it was last
    // saved, so that the same inputs always give the same file.
    const SiteResult<std::vector<std::uint8_t>> contents =
        siteDataContents(firstPath, first->file, joiner.store(), StoredSignature(*signature),
                         decodeHeader(header).saveTime);
    if (!contents)
        return fileError(firstPath, contents.error());
    if (const Result<void> written = writeOutputFile(outPath, *contents); !written)
        return fileError(outPath, "cannot write the merged site: " + written.error().message);
    return ExitOk;
}

} // namespace marlow::tws
