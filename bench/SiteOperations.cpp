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
    OpenResult opened = openSite(path);
    if (opened.error)
        return nullptr;
    auto loaded = std::make_unique<LoadedSite>();
    loaded->site = std::move(opened.site);
    loadPoints(loaded->site, loaded->store, ignoreMarks());
    return loaded;
}

SiteError saveSite(const BenchSite& site) {
    SiteState state = site.state();
    return saveSiteData(site.sitePath(), state, site.store(), BlankSignature(), SaveTime);
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
