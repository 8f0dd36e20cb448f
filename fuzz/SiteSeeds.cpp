// Writes the seeds of the site-file fuzzers into the folder it is given:
// small sites made and saved by our own writers, and copies of them damaged
// in the ways the reader must refuse or load in part (cut short at each
// region, offsets out of place, floor plans and record sizes it cannot use,
// counts the file does not hold). Each is written as the fuzzers' input
// (SiteInput.h), without its signature block where the block is whole.
// Files in the folder under other names are left as they are.
#include "SiteBytes.h"
#include "SiteInput.h"
#include "sitefile/SiteWriter.h"

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <utility>

namespace {

using namespace marlow;
using test::apRecord;
using test::Bytes;
using test::SiteBytes;

constexpr std::uint32_t SaveTime = 1'700'000'000;

// A site made from the plan and saved with the records.
SiteBytes savedSite(const SiteBitmap& plan, const std::vector<SurveyRecord>& records) {
    const test::TempDir dir;
    const std::string path = dir.file("site.tws");
    test::makeSite(path, plan);
    SiteResult<OpenedSite> opened = openSite(path);
    RecordList store;
    for (const SurveyRecord& record : records)
        test::appendRecord(store, record);
    if (!opened || !saveSiteData(path, opened->file, store, BlankSignature(), SaveTime))
        throw std::runtime_error("cannot make a site in " + dir.path());
    return {test::readBytes(path)};
}

// Points with access points, a point where nothing was heard, texts that
// fill their fields and texts the exports must quote or escape.
std::vector<SurveyRecord> fivePoints() {
    return {apRecord(10, 12, 1, -45, "office"),
            apRecord(10, 12, 2, -71, std::string(40, 'S'), 11),
            test::committedPlaceholder(30, 5),
            apRecord(30, 5, 3, -88, "after \"nothing\", then", 1, "BACK"),
            apRecord(-4, 47, 4, -128, "caf\xC3\xA9", 165, std::string(32, 'N')),
            apRecord(63, 0, 5, 0, "", 14, "EDGE")};
}

std::vector<SurveyRecord> onePoint() {
    return {apRecord(100, 200, 1, -60)};
}

// Inserts count bytes at `at` and moves each named offset by as many.
void insertBefore(SiteBytes& site, std::size_t at, std::size_t count,
                  std::initializer_list<std::size_t> movedOffsets) {
    site.bytes.insert(site.bytes.begin() + std::ptrdiff_t(at), count, 0x5A);
    for (const std::size_t field : movedOffsets)
        site.set32(field, site.u32(field) + static_cast<std::uint32_t>(count));
}

// The plan and the signature block in each other's places.
SiteBytes planAfterSignature(const SiteBytes& site) {
    const std::size_t plan = site.u32(header::BitmapOffset);
    const std::size_t signature = site.u32(header::SignatureOffset);
    const std::size_t data = site.u32(header::DataOffset);
    SiteBytes moved{Bytes(site.bytes.begin(), site.bytes.begin() + std::ptrdiff_t(plan))};
    const auto piece = [&](std::size_t from, std::size_t to) {
        moved.bytes.insert(moved.bytes.end(), site.bytes.begin() + std::ptrdiff_t(from),
                           site.bytes.begin() + std::ptrdiff_t(to));
    };
    piece(signature, data);
    piece(plan, signature);
    piece(data, site.bytes.size());
    moved.set32(header::SignatureOffset, static_cast<std::uint32_t>(plan));
    moved.set32(header::BitmapOffset, static_cast<std::uint32_t>(plan + data - signature));
    return moved;
}

using Seeds = std::vector<std::pair<std::string, SiteBytes>>;

// Sites the reader opens whole.
void addValid(Seeds& seeds) {
    seeds.emplace_back("empty-8x8", savedSite(test::testPlan(8, 8), {}));
    seeds.emplace_back("one-point-13x7", savedSite(test::testPlan(13, 7), onePoint()));
    const SiteBytes five = savedSite(test::testPlan(64, 48), fivePoints());
    seeds.emplace_back("five-points-64x48", five);
    seeds.emplace_back("plan-after-signature", planAfterSignature(five));

    SiteBytes topDown = savedSite(test::testPlan(8, 8), onePoint());
    topDown.set32(topDown.bitmapInfo() + 8, static_cast<std::uint32_t>(-8));
    topDown.set32(topDown.bitmapInfo() + 20, 0);
    seeds.emplace_back("top-down-plan", topDown);

    SiteBytes gaps = savedSite(test::testPlan(9, 3), onePoint());
    insertBefore(gaps, gaps.u32(header::DataOffset), 16, {header::DataOffset});
    insertBefore(gaps, gaps.u32(header::SignatureOffset), 12,
                 {header::SignatureOffset, header::DataOffset});
    seeds.emplace_back("gaps-between-regions", gaps);

    // A longer header and longer records, points that continue at one
    // position, a stored access point on channel 0, a name with bytes after
    // its terminator, and the RSSI's extremes.
    SiteBytes odd = savedSite(test::testPlan(8, 8), {});
    odd.bytes.resize(odd.u32(header::DataOffset));
    insertBefore(
        odd, SiteHeaderSize, 50,
        {header::HeaderLength, header::BitmapOffset, header::SignatureOffset, header::DataOffset});
    odd.bytes.resize(odd.bytes.size() + 8);
    odd.set32(odd.u32(header::DataOffset), 50);
    odd.set32(odd.u32(header::DataOffset) + 4, 45);
    odd.point(1, 2, "EMPTY", 0, 50);
    odd.point(1, 2, std::string("AB\0XY", 5), 3, 50);
    odd.ap(0, 0x8000, 1, "channel zero", 45);
    odd.ap(6, 0x7FFF, 2, std::string(32, 'W'), 45);
    odd.ap(255, 0x0001, 3, "", 45);
    odd.point(1, 2, "SAME", 1, 50);
    odd.ap(1, 0xFFFF, 4, "x", 45);
    seeds.emplace_back("longer-header-and-records", odd);
}

// Copies of a small site with one thing wrong, as a function of its bytes.
void addDamaged(Seeds& seeds) {
    const SiteBytes base = savedSite(
        test::testPlan(13, 7), {apRecord(1, 1, 1, -50), test::committedPlaceholder(2, 2),
                                apRecord(3, 3, 2, -70, "b", 11), apRecord(3, 3, 3, -71, "c", 11)});
    const std::size_t info = base.bitmapInfo();
    const std::size_t signature = base.u32(header::SignatureOffset);
    const std::size_t data = base.u32(header::DataOffset);
    const auto cut = [](std::size_t length) {
        return [length](SiteBytes& s) { s.bytes.resize(length); };
    };
    const auto set = [](std::size_t at, std::uint32_t value) {
        return [at, value](SiteBytes& s) { s.set32(at, value); };
    };
    // A signature block elsewhere than its bytes would not be left out of
    // the input, so these files lose it.
    const auto moveSignature = [signature](std::uint32_t to) {
        return [signature, to](SiteBytes& s) {
            s.bytes.erase(s.bytes.begin() + std::ptrdiff_t(signature),
                          s.bytes.begin() + std::ptrdiff_t(signature + SignatureBlockSize));
            s.set32(header::SignatureOffset, to);
        };
    };
    const std::pair<const char*, std::function<void(SiteBytes&)>> damages[] = {
        {"cut-before-magic", cut(6)},
        {"cut-in-header", cut(100)},
        {"cut-after-header", cut(SiteHeaderSize)},
        {"cut-in-plan-header", cut(info + 20)},
        {"cut-in-colour-table", cut(info + 40 + 500)},
        {"cut-in-pixels", cut(signature - 30)},
        {"cut-at-signature", cut(signature)},
        {"cut-in-signature", cut(signature + 100)},
        {"cut-at-data", cut(data)},
        {"cut-in-record-sizes", cut(data + 4)},
        {"cut-after-record-sizes", cut(data + 8)},
        {"cut-in-point-record", cut(data + 8 + 20)},
        {"cut-in-ap-record", cut(data + 8 + 42 + 20)},
        {"cut-in-last-record", cut(base.bytes.size() - 1)},
        {"header-too-short", set(header::HeaderLength, 100)},
        {"header-longer-than-file", set(header::HeaderLength, 0xFFFFFFFF)},
        {"not-a-site-file", set(header::Magic, 0x46464952)},
        {"obsolete-version", [](SiteBytes& s) { s.bytes[header::Version] = 1; }},
        {"plan-over-header", set(header::BitmapOffset, 0)},
        {"plan-past-end", set(header::BitmapOffset, 0xFFFFFF00)},
        {"signature-over-plan", moveSignature(1000)},
        {"signature-past-end", moveSignature(0xFFFFFFFF)},
        {"data-in-signature", set(header::DataOffset, static_cast<std::uint32_t>(data - 1))},
        {"data-far-past-end", set(header::DataOffset, 0xFFFFFFF0)},
        {"plan-24-bits", set(info + 14, 24)},
        {"plan-compressed", set(info + 16, 1)},
        {"plan-width-0", set(info + 4, 0)},
        {"plan-too-wide", set(info + 4, 40000)},
        {"plan-height-min", set(info + 8, 0x80000000)},
        {"plan-largest-claimed",
         [&](SiteBytes& s) {
             s.set32(info + 4, 32767);
             s.set32(info + 8, static_cast<std::uint32_t>(-32767));
             s.set32(info + 20, 0);
         }},
        {"plan-image-size-huge", set(info + 20, 0xFFFFFFF0)},
        {"records-too-short", set(data, 40)},
        {"records-huge",
         [&](SiteBytes& s) {
             s.set32(data, 0xFFFFFFFF);
             s.set32(data + 4, 0xFFFFFFFF);
         }},
        {"count-beyond-file", [&](SiteBytes& s) { writeU16(&s.bytes[data + 8 + 40], 65535); }},
    };
    for (const auto& [name, damage] : damages) {
        SiteBytes damaged = base;
        damage(damaged);
        seeds.emplace_back(name, std::move(damaged));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    Seeds seeds;
    addValid(seeds);
    addDamaged(seeds);
    for (const auto& [name, site] : seeds)
        test::writeBytes(std::string(argv[1]) + "/" + name, fuzz::inputOf(site.bytes));
    return 0;
}
