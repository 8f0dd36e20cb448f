// The tws commands: each opens what it needs and reports any failure
// naming the file.
#include "Commands.h"

#include "Output.h"
#include "PictureFile.h"
#include "PlanImage.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteCreator.h"
#include "sitefile/SiteExport.h"
#include "sitefile/SiteFormat.h"
#include "sitefile/SiteReader.h"

#include <QImage>
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
    DescriptorOutput buffer(STDOUT_FILENO);
    std::ostream out(&buffer);
    write(out, *opened, store);
    if (const Result<void> written = buffer.finish(); !written) {
        std::cerr << "tws: cannot write the output: " << written.error().message << '\n';
        return ExitFileError;
    }
    return ExitOk;
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

    QImage picture(SignatureWidth, SignatureHeight, QImage::Format_Mono);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    for (int y = 0; y < SignatureHeight; ++y) {
        for (int x = 0; x < SignatureWidth; ++x) {
            const auto at = static_cast<std::size_t>(y * SignatureWidth + x);
            picture.setPixel(x, y, (*signature)[at] == SignatureInk ? 1 : 0);
        }
    }
    if (const Result<void> written = writePng(picturePath, picture); !written)
        return fileError(picturePath, written.error().message);
    return ExitOk;
}

} // namespace marlow::tws
