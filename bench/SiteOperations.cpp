// The site-file operations under measurement.
#include "SiteOperations.h"

#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteWriter.h"

#include <malloc.h>

namespace marlow::bench {

namespace {

const MarkSink& ignoreMarks() {
    static const MarkSink sink = [](std::int32_t, std::int32_t, int) {};
    return sink;
}

} // namespace

std::unique_ptr<LoadedSite> readSite(const std::string& path) {
    SiteResult<OpenedSite> opened = openSite(path);
    if (!opened)
        return nullptr;
    auto loaded = std::make_unique<LoadedSite>();
    loaded->site = std::move(opened).value();
    loadPoints(loaded->site, loaded->store, ignoreMarks());
    return loaded;
}

SiteResult<> saveSite(const BenchSite& site) {
    SiteFileState file = site.file();
    return saveSiteData(site.sitePath(), file, site.store(), BlankSignature(), SaveTime);
}

double storeBytesPerRecord(const OpenedSite& site) {
    RecordList store;
    const std::size_t before = ::mallinfo2().uordblks;
    loadPoints(site, store, ignoreMarks());
    const std::size_t after = ::mallinfo2().uordblks;
    if (store.empty())
        return 0.0;
    return static_cast<double>(after - before) / static_cast<double>(store.size());
}

} // namespace marlow::bench
