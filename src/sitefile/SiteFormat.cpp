// The site file's byte layout: field codecs and the region check.
#include "SiteFormat.h"

#include "ByteOrder.h"
#include "SiteFileState.h"

#include <algorithm>
#include <cstring>

namespace marlow {

namespace {

constexpr std::size_t NameField = 8;
constexpr std::size_t ApCountField = 40;
constexpr std::size_t NameLength = 32;

constexpr std::size_t ApChannel = 0;
constexpr std::size_t ApRssi = 1;
constexpr std::size_t ApMac = 3;
constexpr std::size_t ApSsid = 9;
constexpr std::size_t SsidLength = 32;

// Copies a text into a stored field: cut to the field, NUL-terminated when
// shorter, and zeros after the terminator.
void storeText(std::uint8_t* field, std::size_t fieldLength, std::string_view text) {
    const std::size_t n = std::min(text.size(), fieldLength);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, fieldLength - n);
}

} // namespace

SiteHeaderFields decodeHeader(const HeaderBytes& bytes) {
    SiteHeaderFields f;
    f.headerLength = readU32(&bytes[header::HeaderLength]);
    f.magicMatches = std::equal(SiteMagic.begin(), SiteMagic.end(), &bytes[header::Magic]);
    f.version = readU16(&bytes[header::Version]);
    f.statusByte = bytes[header::StatusByte];
    f.saveTime = readU32(&bytes[header::SaveTime]);
    f.bitmapOffset = readU32(&bytes[header::BitmapOffset]);
    f.signatureOffset = readU32(&bytes[header::SignatureOffset]);
    f.dataOffset = readU32(&bytes[header::DataOffset]);
    return f;
}

void stampHeader(HeaderBytes& bytes, std::uint32_t saveTime) {
    bytes[header::StatusByte] = 0;
    writeU32(&bytes[header::SaveTime], saveTime);
}

StoredPoint decodePointRecord(const std::uint8_t* bytes) {
    StoredPoint point;
    point.x = readI32(bytes);
    point.y = readI32(bytes + 4);
    std::memcpy(point.name, bytes + NameField, NameLength);
    point.apCount = readU16(bytes + ApCountField);
    return point;
}

void encodePointRecord(std::uint8_t* bytes, const SurveyRecord& record, std::uint16_t apCount) {
    writeI32(bytes, record.x);
    writeI32(bytes + 4, record.y);
    storeText(bytes + NameField, NameLength, textOf(record.pointName));
    writeU16(bytes + ApCountField, apCount);
}

void decodeApRecord(const std::uint8_t* bytes, SurveyRecord& record) {
    record.channel = bytes[ApChannel];
    const auto stored = static_cast<std::int16_t>(readU16(bytes + ApRssi));
    record.rssi = static_cast<std::int16_t>(stored / 256);
    std::memcpy(record.macAddr, bytes + ApMac, sizeof record.macAddr);
    formatMacText(record.macText, record.macAddr);
    // Up to the first NUL of the 32-byte field, zeros after it.
    const auto* field = bytes + ApSsid;
    const auto* nul = static_cast<const std::uint8_t*>(std::memchr(field, 0, SsidLength));
    const std::size_t n = nul ? static_cast<std::size_t>(nul - field) : SsidLength;
    std::memcpy(record.ssid, field, n);
    std::memset(record.ssid + n, 0, sizeof record.ssid - n);
}

void encodeApRecord(std::uint8_t* bytes, const SurveyRecord& record) {
    bytes[ApChannel] = static_cast<std::uint8_t>(record.channel);
    // dBm times 256 kept to 16 bits: the low byte is 0, the high byte the
    // low 8 bits of the RSSI.
    bytes[ApRssi] = 0;
    bytes[ApRssi + 1] = static_cast<std::uint8_t>(record.rssi);
    std::memcpy(bytes + ApMac, record.macAddr, sizeof record.macAddr);
    storeText(bytes + ApSsid, SsidLength, textOf(record.ssid));
}

Result<void> checkLayout(const SiteLayout& l) {
    const auto refuse = [](std::string why) { return fail(Error{std::move(why)}); };
    if (l.headerLength < SiteHeaderSize)
        return refuse("the header is shorter than " + std::to_string(SiteHeaderSize) + " bytes.");
    const std::uint64_t bitmapEnd = l.bitmapOffset + l.bitmapSize;
    const std::uint64_t signatureEnd = l.signatureOffset + SignatureBlockSize;
    if (l.bitmapOffset < l.headerLength)
        return refuse("the floor plan overlaps the header.");
    if (l.signatureOffset < l.headerLength)
        return refuse("the signature block overlaps the header.");
    if (l.signatureOffset < bitmapEnd && l.bitmapOffset < signatureEnd)
        return refuse("the signature block overlaps the floor plan.");
    if (bitmapEnd > l.dataOffset)
        return refuse("the floor plan runs into the survey data.");
    if (signatureEnd > l.dataOffset)
        return refuse("the signature block runs into the survey data.");
    return {};
}

SiteLayout layoutOf(const SiteFileState& file) {
    const SiteHeaderFields f = decodeHeader(file.header);
    return {f.headerLength, f.bitmapOffset, file.bitmapSize, f.signatureOffset, f.dataOffset};
}

} // namespace marlow
