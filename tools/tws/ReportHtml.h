// The survey report as one self-contained HTML page for a browser: the
// pictures inline as data: URIs, nothing fetched from elsewhere, every text
// escaped so that none is taken for markup.
#pragma once

#include "ReportModel.h"
#include "base/Result.h"

#include <string>

namespace marlow::tws {

Result<std::string> renderHtml(const Report& report);

// Text with & < > " ' escaped, safe in an element and in a quoted attribute.
std::string escapeHtml(const QString& text);

} // namespace marlow::tws
