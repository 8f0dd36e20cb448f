// Encoding and decoding the journal's entries; see JournalFormat.h.
#include "JournalFormat.h"

#include <array>
#include <cstring>
#include <type_traits>

namespace marlow {

namespace {

constexpr std::array<std::uint8_t, 4> Magic = {'M', 'F', 'W', 'J'};
constexpr std::size_t StartBytes = Magic.size() + 4;
// Length, kind byte and checksum around each entry's body.
constexpr std::size_t LengthBytes = 4;
constexpr std::size_t CrcBytes = 4;
// Far above any real entry (a point of a few hundred access points): a
// length beyond it is damage, not an entry to wait for.
constexpr std::uint32_t MaxEntryBytes = 16U << 20U;

enum class Kind : std::uint8_t { Site = 1, Point = 2, Deletion = 3 };

class Writer {
public:
    template <typename T> void number(T value) {
        using U = std::make_unsigned_t<T>;
        const auto bits = static_cast<U>(value);
        for (std::size_t i = 0; i < sizeof(T); ++i)
            bytes.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    }
    void raw(const void* data, std::size_t length) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + length);
    }
    std::vector<std::uint8_t> bytes;
};

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    template <typename T> bool number(T& value) {
        if (m_bytes.size() - m_at < sizeof(T))
            return false;
        std::make_unsigned_t<T> bits = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            bits |= static_cast<std::make_unsigned_t<T>>(
                static_cast<std::make_unsigned_t<T>>(m_bytes[m_at + i]) << (8 * i));
        value = static_cast<T>(bits);
        m_at += sizeof(T);
        return true;
    }
    bool raw(void* data, std::size_t length) {
        if (m_bytes.size() - m_at < length)
            return false;
        std::memcpy(data, m_bytes.data() + m_at, length);
        m_at += length;
        return true;
    }
    bool atEnd() const { return m_at == m_bytes.size(); }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

void writeRecord(Writer& out, const SurveyRecord& r) {
    out.number(r.x);
    out.number(r.y);
    out.raw(r.pointName, sizeof r.pointName);
    out.raw(r.macText, sizeof r.macText);
    out.raw(r.macAddr, sizeof r.macAddr);
    out.raw(r.ssid, sizeof r.ssid);
    out.number(r.rssi);
    out.number(r.channel);
    out.number(r.sampleCount);
}

bool readRecord(Reader& in, SurveyRecord& r) {
    return in.number(r.x) && in.number(r.y) && in.raw(r.pointName, sizeof r.pointName) &&
           in.raw(r.macText, sizeof r.macText) && in.raw(r.macAddr, sizeof r.macAddr) &&
           in.raw(r.ssid, sizeof r.ssid) && in.number(r.rssi) && in.number(r.channel) &&
           in.number(r.sampleCount);
}

// Length, kind, body, checksum of kind and body.
std::vector<std::uint8_t> frame(Kind kind, const std::vector<std::uint8_t>& body) {
    Writer out;
    out.number(static_cast<std::uint32_t>(body.size() + 1));
    out.number(static_cast<std::uint8_t>(kind));
    out.raw(body.data(), body.size());
    out.number(crc32(std::span(out.bytes).subspan(LengthBytes)));
    return std::move(out.bytes);
}

std::optional<JournalHeader> decodeSite(Reader& in) {
    JournalHeader header;
    std::uint8_t keep = 0;
    std::uint32_t pathLength = 0;
    if (!in.number(keep) || !in.number(header.site.size) || !in.number(header.site.modifiedNs) ||
        !in.number(pathLength))
        return std::nullopt;
    header.keepPoints = keep != 0;
    header.site.canonicalPath.resize(pathLength);
    if (!in.raw(header.site.canonicalPath.data(), pathLength) || !in.atEnd())
        return std::nullopt;
    return header;
}

std::optional<JournalEntry> decodeEntry(Kind kind, Reader& in) {
    if (kind == Kind::Point) {
        JournalPoint point;
        std::uint32_t count = 0;
        std::uint8_t heard = 0;
        if (!in.number(point.time) || !in.number(heard) || !in.number(count))
            return std::nullopt;
        point.heard = heard != 0;
        for (std::uint32_t i = 0; i < count; ++i) {
            if (!readRecord(in, point.records.emplace_back()))
                return std::nullopt;
        }
        return in.atEnd() ? std::optional<JournalEntry>(std::move(point)) : std::nullopt;
    }
    if (kind == Kind::Deletion) {
        JournalDeletion deletion;
        if (!in.number(deletion.time) || !in.number(deletion.x) || !in.number(deletion.y) ||
            !in.atEnd())
            return std::nullopt;
        return deletion;
    }
    return std::nullopt;
}

// The kind and body of the entry at the start of bytes, checked; nothing
// when it is incomplete or damaged. size tells how many bytes it took.
std::optional<std::pair<Kind, std::span<const std::uint8_t>>>
nextEntry(std::span<const std::uint8_t> bytes, std::size_t& size) {
    Reader in(bytes);
    std::uint32_t length = 0;
    if (!in.number(length) || length == 0 || length > MaxEntryBytes ||
        bytes.size() < LengthBytes + length + CrcBytes)
        return std::nullopt;
    const std::span<const std::uint8_t> checked = bytes.subspan(LengthBytes, length);
    Reader crcIn(bytes.subspan(LengthBytes + length, CrcBytes));
    std::uint32_t stored = 0;
    if (!crcIn.number(stored) || stored != crc32(checked))
        return std::nullopt;
    size = LengthBytes + length + CrcBytes;
    return std::pair{static_cast<Kind>(checked[0]), checked.subspan(1)};
}

} // namespace

std::uint32_t crc32(std::span<const std::uint8_t> bytes) {
    static constexpr auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1U) ? 0xEDB88320U ^ (c >> 1U) : c >> 1U;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFU;
    for (const std::uint8_t b : bytes)
        c = table[(c ^ b) & 0xFFU] ^ (c >> 8U);
    return c ^ 0xFFFFFFFFU;
}

std::int64_t entryTime(const JournalEntry& entry) {
    return std::visit([](const auto& e) { return e.time; }, entry);
}

std::vector<std::uint8_t> encodeJournalStart(const JournalHeader& header) {
    Writer start;
    start.raw(Magic.data(), Magic.size());
    start.number(JournalVersion);
    Writer body;
    body.number(static_cast<std::uint8_t>(header.keepPoints ? 1 : 0));
    body.number(header.site.size);
    body.number(header.site.modifiedNs);
    body.number(static_cast<std::uint32_t>(header.site.canonicalPath.size()));
    body.raw(header.site.canonicalPath.data(), header.site.canonicalPath.size());
    const std::vector<std::uint8_t> site = frame(Kind::Site, body.bytes);
    start.raw(site.data(), site.size());
    return std::move(start.bytes);
}

std::vector<std::uint8_t> encodeJournalEntry(const JournalEntry& entry) {
    Writer body;
    if (const auto* point = std::get_if<JournalPoint>(&entry)) {
        body.number(point->time);
        body.number(static_cast<std::uint8_t>(point->heard ? 1 : 0));
        body.number(static_cast<std::uint32_t>(point->records.size()));
        for (const SurveyRecord& r : point->records)
            writeRecord(body, r);
        return frame(Kind::Point, body.bytes);
    }
    const auto& deletion = std::get<JournalDeletion>(entry);
    body.number(deletion.time);
    body.number(deletion.x);
    body.number(deletion.y);
    return frame(Kind::Deletion, body.bytes);
}

std::optional<JournalContents> decodeJournal(std::span<const std::uint8_t> bytes) {
    Reader start(bytes);
    std::array<std::uint8_t, 4> magic{};
    std::uint32_t version = 0;
    if (!start.raw(magic.data(), magic.size()) || magic != Magic || !start.number(version) ||
        version != JournalVersion)
        return std::nullopt;
    std::size_t at = StartBytes;
    std::size_t size = 0;
    const auto site = nextEntry(bytes.subspan(at), size);
    if (!site || site->first != Kind::Site)
        return std::nullopt;
    Reader siteIn(site->second);
    std::optional<JournalHeader> header = decodeSite(siteIn);
    if (!header)
        return std::nullopt;
    at += size;

    JournalContents contents{std::move(*header), {}, at, false};
    while (at < bytes.size()) {
        const auto next = nextEntry(bytes.subspan(at), size);
        std::optional<JournalEntry> entry;
        if (next) {
            Reader in(next->second);
            entry = decodeEntry(next->first, in);
        }
        if (!entry) {
            contents.damaged = true;
            break;
        }
        contents.entries.push_back(std::move(*entry));
        at += size;
        contents.completeBytes = at;
    }
    return contents;
}

} // namespace marlow
