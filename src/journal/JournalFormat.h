// The journal's file format: what a session has committed since its site
// file was last saved, entry by entry, so that a crash loses none of it.
//
// A journal is the eight bytes "MFWJ" and a 32-bit version, then entries.
// Each entry is a 32-bit length (of kind and body), one kind byte, the body,
// and the CRC-32 of kind and body. The first entry names the site file and
// the answer to the keep-points question; each later one is a committed
// point (its records exactly as stored) or a deletion (the map position
// whose nearest point was removed). All numbers are little-endian.
#pragma once

#include "store/SurveyRecord.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace marlow {

inline constexpr std::uint32_t JournalVersion = 1;

// Which site file a journal belongs to, as it was when the journal began.
struct SiteIdentity {
    std::string canonicalPath;
    std::uint64_t size = 0;
    // Modification time in nanoseconds since the epoch.
    std::int64_t modifiedNs = 0;
    bool operator==(const SiteIdentity&) const = default;
};

struct JournalHeader {
    SiteIdentity site;
    // The session's answer to "Do you wish to keep existing data points?":
    // whether its store began with the file's points.
    bool keepPoints = false;
    bool operator==(const JournalHeader&) const = default;
};

// A committed point: when it was committed (seconds since the epoch) and
// the records it added to the store, in store order.
struct JournalPoint {
    std::int64_t time = 0;
    // False when nothing was heard and the records are the placeholder.
    bool heard = false;
    std::vector<SurveyRecord> records;
};

// A removed point: the map position whose nearest point was selected.
struct JournalDeletion {
    std::int64_t time = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
};

using JournalEntry = std::variant<JournalPoint, JournalDeletion>;

std::int64_t entryTime(const JournalEntry& entry);

// The file's opening bytes and its header entry.
std::vector<std::uint8_t> encodeJournalStart(const JournalHeader& header);
std::vector<std::uint8_t> encodeJournalEntry(const JournalEntry& entry);

struct JournalContents {
    JournalHeader header;
    std::vector<JournalEntry> entries;
    // Bytes up to the end of the last complete entry.
    std::size_t completeBytes = 0;
    // True when bytes after the last complete entry were ignored: an entry
    // cut short or not matching its checksum.
    bool damaged = false;
};

// The complete entries of a journal; nothing when its opening bytes or
// header entry are missing or damaged, or its version is not this one.
std::optional<JournalContents> decodeJournal(std::span<const std::uint8_t> bytes);

// CRC-32 (IEEE 802.3, as zlib computes it).
std::uint32_t crc32(std::span<const std::uint8_t> bytes);

} // namespace marlow
