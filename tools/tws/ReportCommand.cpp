// tws report: the survey of a site file as a PDF for a customer, and as an
// HTML page when asked. Both documents are made in memory before either
// file is touched, and each file is written whole or not at all.
#include "Commands.h"
#include "OffscreenGui.h"
#include "Output.h"
#include "ProgressBar.h"
#include "ReportDocuments.h"
#include "ReportModel.h"
#include "analysis/SurveySummary.h"
#include "sitefile/SiteFormat.h"

#include <filesystem>

namespace marlow::tws {

namespace {

int writeReportFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    if (const Result<void> written = writeOutputFile(path, bytes); !written)
        return fileError(path, "cannot write the report: " + written.error().message);
    return ExitOk;
}

std::span<const std::uint8_t> bytesOf(const QByteArray& data) {
    return {reinterpret_cast<const std::uint8_t*>(data.constData()),
            static_cast<std::size_t>(data.size())};
}

} // namespace

int reportCommand(const ReportRequest& request) {
    const std::string& path = request.sitePath;
    // A slip of the command line must not replace the survey with its report.
    for (const std::string* output : {&request.pdfPath, &request.htmlPath}) {
        std::error_code ignored;
        if (std::filesystem::equivalent(path, *output, ignored))
            return fileError(*output, "is the site file itself; the report would replace it");
    }
    const SiteResult<OpenedSite> opened = openSite(path);
    if (!opened)
        return fileError(path, opened.error());
    const SiteResult<SignaturePixels> signature =
        readSignature(path, decodeHeader(opened->file.header).signatureOffset);
    if (!signature)
        return fileError(path, signature.error());
    RecordList store;
    loadPoints(*opened, store, nullptr);
    noteEndsEarly(path, *opened, store);
    const std::vector<analysis::SurveyedPoint> points = analysis::surveyedPoints(store);
    const analysis::SurveySummary summary = analysis::summarize(points);

    // The report's text needs a GUI application.
    const OffscreenGui gui;
    ProgressBar bar("tws report");
    const Report report = buildReport(
        {std::filesystem::path(path).filename().string(), *opened, *signature, points, summary},
        request.options, [&bar](double share) { bar.show(share); });
    bar.say("writing the report");
    const ReportDocuments documents = renderDocuments(report, !request.htmlPath.empty());
    if (!documents.pdf)
        return fileError(request.pdfPath, documents.pdf.error().message);
    if (documents.html && !*documents.html)
        return fileError(request.htmlPath, documents.html->error().message);
    if (const int status = writeReportFile(request.pdfPath, bytesOf(*documents.pdf));
        status != ExitOk)
        return status;
    if (documents.html) {
        const std::string& html = **documents.html;
        return writeReportFile(request.htmlPath,
                               {reinterpret_cast<const std::uint8_t*>(html.data()), html.size()});
    }
    return ExitOk;
}

} // namespace marlow::tws
