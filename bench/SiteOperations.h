// The site-file operations under measurement, shared by the benchmarks and
// the closing summary so that both time exactly the same work.
#pragma once

#include "BenchSite.h"
#include "sitefile/SiteError.h"
#include "sitefile/SiteReader.h"

#include <memory>
#include <string>

namespace marlow::bench {

struct LoadedSite {
    OpenedSite site;
    RecordList store;
};

// openSite, then loadPoints into a fresh list with a mark sink that does
// nothing. Null when the site does not open. Handed back whole so that
// callers can leave its teardown out of the timing.
std::unique_ptr<LoadedSite> readSite(const std::string& path);

// The complete Save Site Data of the benchmark survey over its site file.
SiteResult<> saveSite(const BenchSite& site);

// Bytes the allocator hands out (mallinfo2's uordblks) while the points of
// an opened site load into a fresh list, per record loaded.
double storeBytesPerRecord(const OpenedSite& site);

} // namespace marlow::bench
