// libFuzzer target for Save Site Data: the input is a site file (see
// SiteInput.h). A file that opens is loaded, saved with a fixed signature
// and time, and opened again. The target aborts unless the save succeeds,
// and unless
//  - every byte before the survey data is the old file's (zeros past its
//    end), but for the status byte and save time of the header and the
//    signature block, which hold what the save was given;
//  - the saved file opens whole, with this program's record sizes;
//  - its records are the store's as the save writes them: each access-point
//    record with the name of the point it went into, each placeholder that
//    starts a point of its own as the loader makes one, and none for a
//    placeholder followed at its position by an access point, whose point
//    record carries that access point instead.
#include "SiteFixtures.h"
#include "SiteInput.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SiteWriter.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using namespace marlow;

constexpr std::uint32_t SaveTime = 0x5A5A1234;

// Ink on every seventh diagonal, so that no blank block passes for it.
class StripedSignature final : public SignatureSource {
public:
    std::uint32_t readSignaturePixel(int x, int y) const override {
        return (x + y) % 7 == 0 ? SignatureInk : SignatureWhite;
    }
};

// The saved file in one read: a byte-wise read of it took most of each
// input's time.
std::vector<std::uint8_t> readSaved(const std::string& path) {
    std::vector<std::uint8_t> bytes(std::filesystem::file_size(path));
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    fuzz::require(in.gcount() == static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

const std::vector<std::uint8_t>& stripedBlock() {
    static const std::vector<std::uint8_t> block = encodeSignatureBlock(StripedSignature());
    return block;
}

// What the file before the survey data must hold after the save.
std::vector<std::uint8_t> expectedBeforeData(const std::vector<std::uint8_t>& old,
                                             const SiteHeaderFields& fields,
                                             const HeaderBytes& stamped) {
    std::vector<std::uint8_t> bytes(fields.dataOffset, 0);
    std::copy_n(old.begin(), std::min<std::size_t>(old.size(), bytes.size()), bytes.begin());
    std::copy(stamped.begin(), stamped.end(), bytes.begin());
    std::copy(stripedBlock().begin(), stripedBlock().end(), bytes.begin() + fields.signatureOffset);
    return bytes;
}

// The records a reload of the saved store must give, by the split rule of
// Save Site Data: a point record opens at a placeholder, at a change of
// position and after 65,535 access points.
std::vector<SurveyRecord> expectedReload(const RecordList& store) {
    std::vector<SurveyRecord> expected;
    const SurveyRecord* opener = nullptr;
    std::uint32_t apCount = 0;
    const auto closePoint = [&] {
        if (opener && apCount == 0)
            expected.push_back(placeholderRecord(opener->x, opener->y, textOf(opener->pointName),
                                                 "", LoadedPlaceholderRssi));
    };
    for (const SurveyRecord& record : store) {
        const bool placeholder = isPlaceholder(record);
        if (placeholder || !opener || record.x != opener->x || record.y != opener->y ||
            apCount == UINT16_MAX) {
            closePoint();
            opener = &record;
            apCount = 0;
        }
        if (!placeholder) {
            SurveyRecord back = record;
            setText(back.pointName, textOf(opener->pointName));
            expected.push_back(back);
            ++apCount;
        }
    }
    closePoint();
    return expected;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> old = fuzz::siteFileOf(data, size);
    const std::string path = fuzz::writeSiteFile(old);
    const SiteResult<OpenedSite> opened = openSite(path);
    if (!opened)
        return 0;
    RecordList store;
    loadPoints(*opened, store, nullptr);

    SiteFileState state = opened->file;
    fuzz::require(saveSiteData(path, state, store, StripedSignature(), SaveTime).ok());
    HeaderBytes stamped = opened->file.header;
    stampHeader(stamped, SaveTime);
    fuzz::require(state.header == stamped);

    const SiteHeaderFields fields = decodeHeader(stamped);
    const std::vector<std::uint8_t> saved = readSaved(path);
    const std::vector<std::uint8_t> before = expectedBeforeData(old, fields, stamped);
    fuzz::require(saved.size() >= before.size() &&
                  std::equal(before.begin(), before.end(), saved.begin()));

    const SiteResult<OpenedSite> reopened = openSite(path);
    fuzz::require(reopened && !reopened->points.endsEarly &&
                  reopened->file.pointRecordSize == StoredPointRecordSize &&
                  reopened->file.apRecordSize == StoredApRecordSize);
    RecordList reloaded;
    loadPoints(*reopened, reloaded, nullptr);
    fuzz::require(test::sameRecords(reloaded, expectedReload(store)));
    return 0;
}
