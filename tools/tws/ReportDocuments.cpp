// The PDF and the HTML page of a report, side by side.
#include "ReportDocuments.h"

#include "ReportHtml.h"
#include "ReportPdf.h"

#include <future>

namespace marlow::tws {

ReportDocuments renderDocuments(const Report& report, bool withHtml) {
    // The report is only read, and its pictures are implicitly shared
    // images whose reference counts are atomic.
    std::future<Result<std::string>> page;
    if (withHtml)
        page = std::async(std::launch::async, [&report] { return renderHtml(report); });
    ReportDocuments documents{renderPdf(report), std::nullopt};
    if (withHtml)
        documents.html = page.get();
    return documents;
}

} // namespace marlow::tws
