// The survey report as a PDF: A4 pages laid out in one pass, the cover
// first, each map page on a page of its own, tables flowing across pages
// with their header row repeated.
#pragma once

#include "ReportModel.h"
#include "base/Result.h"

#include <QByteArray>

namespace marlow::tws {

// The whole document in memory, so that it can be written whole or not at
// all.
Result<QByteArray> renderPdf(const Report& report);

} // namespace marlow::tws
