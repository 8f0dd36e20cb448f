// libFuzzer target for the site-file reader: the input is a site file (see
// SiteInput.h), which is opened, whose points are loaded as the program
// loads them, written out by each export, and whose signature block is read.
// Refusing the file is fine; a crash, a sanitizer's report, a hang or an
// allocation out of proportion to the file is a finding.
#include "SiteInput.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteExport.h"
#include "sitefile/SiteReader.h"

#include <cstdlib>
#include <ostream>
#include <streambuf>

namespace {

using namespace marlow;

// Takes whatever it is given and keeps none of it.
class DiscardingBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> file = fuzz::siteFileOf(data, size);
    const std::string path = fuzz::writeSiteFile(file);
    const SiteResult<OpenedSite> opened = openSite(path);
    if (!opened)
        return 0;

    // A plan that opened has every pixel its size needs.
    const SiteBitmap& plan = opened->bitmap;
    fuzz::require(plan.width >= 1 && plan.height >= 1 &&
                  plan.pixels.size() == std::size_t{plan.rowStride()} * std::size_t(plan.height));

    RecordList store;
    std::size_t marks = 0;
    loadPoints(*opened, store, [&marks](std::int32_t, std::int32_t, int) { ++marks; });
    // Every point of the store was marked, and no mark is without a record.
    fuzz::require(store.size() == opened->points.records->size() &&
                  marks >= opened->points.pointCount && marks <= store.size());

    DiscardingBuffer discard;
    std::ostream out(&discard);
    writeJson(out, *opened, store);
    writeCsv(out, store);
    writeInfo(out, *opened, store);

    // As the signature command reads it; a block the file holds whole reads.
    const std::uint32_t signatureOffset = decodeHeader(opened->file.header).signatureOffset;
    const SiteResult<SignaturePixels> signature = readSignature(path, signatureOffset);
    fuzz::require(signature || std::uint64_t{signatureOffset} + SignatureBlockSize > file.size());
    return 0;
}
