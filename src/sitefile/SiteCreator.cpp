// A new site file from a floor plan.
#include "SiteCreator.h"

#include "ByteOrder.h"
#include "ReplacementFile.h"
#include "SignatureBlock.h"
#include "SiteFormat.h"

#include <algorithm>
#include <cstring>

namespace marlow {

namespace {

constexpr std::uint32_t PixelsPerMetre = 2835; // 72 dots per inch

std::vector<std::uint8_t> encodeBitmap(const SiteBitmap& plan) {
    const std::uint32_t stride = plan.rowStride();
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(plan.height);
    std::vector<std::uint8_t> out(BitmapPixelsStart + imageSize);
    std::uint8_t* p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    writeU32(p + 2, static_cast<std::uint32_t>(out.size()));
    writeU32(p + 10, BitmapPixelsStart);
    std::uint8_t* info = p + BitmapFileHeaderSize;
    writeU32(info, BitmapInfoHeaderSize);
    writeI32(info + 4, plan.width);
    writeI32(info + 8, plan.height); // bottom-up rows
    writeU16(info + 12, 1);
    writeU16(info + 14, 8);
    writeU32(info + 20, imageSize);
    writeU32(info + 24, PixelsPerMetre);
    writeU32(info + 28, PixelsPerMetre);
    writeU32(info + 32, 256);
    std::memcpy(info + BitmapInfoHeaderSize, plan.colorTable.data(), ColorTableSize);
    std::uint8_t* pixels = p + BitmapPixelsStart;
    for (std::int32_t y = plan.height - 1; y >= 0; --y, pixels += stride)
        std::memcpy(pixels, plan.row(y), stride);
    return out;
}

} // namespace

SiteResult<> createSite(const std::string& path, const SiteBitmap& plan, std::uint32_t saveTime) {
    const std::vector<std::uint8_t> bitmap = encodeBitmap(plan);
    const auto bitmapOffset = static_cast<std::uint32_t>(SiteHeaderSize);
    const auto signatureOffset = static_cast<std::uint32_t>(bitmapOffset + bitmap.size());
    const std::uint32_t dataOffset = signatureOffset + SignatureBlockSize;

    HeaderBytes header = {};
    writeU32(&header[header::HeaderLength], SiteHeaderSize);
    std::memcpy(&header[header::Magic], SiteMagic.data(), SiteMagic.size());
    writeU16(&header[header::Version], CurrentVersion);
    writeU32(&header[header::SaveTime], saveTime);
    writeU32(&header[header::BitmapOffset], bitmapOffset);
    writeU32(&header[header::SignatureOffset], signatureOffset);
    writeU32(&header[header::DataOffset], dataOffset);

    std::uint8_t sizes[DataSizesLength];
    writeU32(sizes, StoredPointRecordSize);
    writeU32(sizes + 4, StoredApRecordSize);
    const std::vector<std::uint8_t> signature = encodeSignatureBlock(BlankSignature());

    struct Piece {
        const std::uint8_t* bytes;
        std::size_t length;
        std::uint64_t offset;
    };
    const Piece pieces[] = {{header.data(), header.size(), 0},
                            {bitmap.data(), bitmap.size(), bitmapOffset},
                            {signature.data(), signature.size(), signatureOffset},
                            {sizes, sizeof sizes, dataOffset}};
    std::vector<std::uint8_t> contents(dataOffset + DataSizesLength);
    for (const Piece& piece : pieces)
        std::copy_n(piece.bytes, piece.length,
                    contents.begin() + static_cast<std::ptrdiff_t>(piece.offset));
    if (Result<void> done = replaceFile(path, contents); !done)
        return fail(cannotUpdateError(done.error().message));
    return {};
}

} // namespace marlow
