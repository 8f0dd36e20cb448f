// The site file's byte layout: header fields, the stored point and
// access-point records, and the placement of the file's regions.
#pragma once

#include "base/Result.h"
#include "store/SurveyRecord.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace marlow {

// The header's known length; a longer header keeps its further bytes,
// which nothing here interprets.
constexpr std::size_t SiteHeaderSize = 150;
// The stored record sizes this program writes; a file may declare longer
// ones, whose further bytes are skipped.
constexpr std::int32_t StoredPointRecordSize = 42;
constexpr std::int32_t StoredApRecordSize = 41;

using HeaderBytes = std::array<std::uint8_t, SiteHeaderSize>;

namespace header {
constexpr std::size_t HeaderLength = 0;
constexpr std::size_t Magic = 4;
constexpr std::size_t Version = 8;
constexpr std::size_t StatusByte = 12;
constexpr std::size_t SaveTime = 134;
constexpr std::size_t BitmapOffset = 138;
constexpr std::size_t SignatureOffset = 142;
constexpr std::size_t DataOffset = 146;
} // namespace header

// 'MRL ' as a little-endian 32-bit value.
constexpr std::array<std::uint8_t, 4> SiteMagic = {0x20, 0x4C, 0x52, 0x4D};
constexpr std::uint16_t CurrentVersion = 2;

// The floor plan: a bitmap file header, a 40-byte information header and a
// full 256-entry colour table, then the pixels.
constexpr std::uint32_t BitmapFileHeaderSize = 14;
constexpr std::uint32_t BitmapInfoHeaderSize = 40;
constexpr std::uint32_t ColorTableSize = 1024;
constexpr std::uint32_t BitmapPixelsStart =
    BitmapFileHeaderSize + BitmapInfoHeaderSize + ColorTableSize;

constexpr int SignatureWidth = 200;
constexpr int SignatureHeight = 100;
constexpr std::uint32_t SignatureBlockSize = SignatureWidth * SignatureHeight * 4;
constexpr std::uint32_t SignatureWhite = 0x00FFFFFF;
constexpr std::uint32_t SignatureInk = 0x00000000;

// The two record sizes at the start of the survey data section.
constexpr std::uint32_t DataSizesLength = 8;

struct SiteHeaderFields {
    std::uint32_t headerLength = 0;
    bool magicMatches = false;
    std::uint16_t version = 0;
    std::uint8_t statusByte = 0;
    std::uint32_t saveTime = 0;
    std::uint32_t bitmapOffset = 0;
    std::uint32_t signatureOffset = 0;
    std::uint32_t dataOffset = 0;
};

SiteHeaderFields decodeHeader(const HeaderBytes& bytes);

// Marks the header as saved now: statusByte 0 and saveTime.
void stampHeader(HeaderBytes& bytes, std::uint32_t saveTime);

// A stored point record, decoded. The name keeps up to 32 bytes.
struct StoredPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    char name[33] = {};
    std::uint16_t apCount = 0;
};

StoredPoint decodePointRecord(const std::uint8_t* bytes);
void encodePointRecord(std::uint8_t* bytes, const SurveyRecord& record, std::uint16_t apCount);

// Fills channel, rssi, macAddr, macText and ssid of a record from a stored
// access-point record. The stored RSSI is dBm times 256; the division rounds
// toward zero.
void decodeApRecord(const std::uint8_t* bytes, SurveyRecord& record);
void encodeApRecord(std::uint8_t* bytes, const SurveyRecord& record);

// Where the regions of a site file lie. Every region must stay clear of the
// others and end at or before the survey data, which runs to the end of the
// file: a save cuts the file at dataOffset and writes the signature block in
// place, so any overlap would destroy part of the file.
struct SiteLayout {
    std::uint64_t headerLength = 0;
    std::uint64_t bitmapOffset = 0;
    std::uint64_t bitmapSize = 0;
    std::uint64_t signatureOffset = 0;
    std::uint64_t dataOffset = 0;
};

// Success when the regions fit; otherwise why they do not, as a sentence.
Result<void> checkLayout(const SiteLayout& layout);

} // namespace marlow
