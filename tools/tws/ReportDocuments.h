// Both documents of a report, made at once: the HTML page (its pictures
// encoded as PNG) on a thread of its own while the PDF is laid out, since
// neither needs the other.
#pragma once

#include "ReportModel.h"
#include "base/Result.h"

#include <QByteArray>
#include <optional>
#include <string>

namespace marlow::tws {

struct ReportDocuments {
    Result<QByteArray> pdf;
    std::optional<Result<std::string>> html; // empty when not asked for
};

ReportDocuments renderDocuments(const Report& report, bool withHtml);

} // namespace marlow::tws
