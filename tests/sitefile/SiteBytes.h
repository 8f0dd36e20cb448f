// A site file as bytes to patch and extend, and the site loaded from it.
#pragma once

#include "SiteFixtures.h"
#include "sitefile/ByteOrder.h"
#include "sitefile/SiteFormat.h"
#include "sitefile/SiteReader.h"

#include <algorithm>
#include <tuple>

namespace marlow::test {

using Marks = std::vector<std::tuple<int, int, int>>;

// A site file as bytes, with helpers to patch fields and append stored
// points.
struct SiteBytes {
    Bytes bytes;

    std::uint32_t u32(std::size_t at) const { return readU32(&bytes[at]); }
    void set32(std::size_t at, std::uint32_t v) { writeU32(&bytes[at], v); }
    std::size_t bitmapInfo() const { return u32(header::BitmapOffset) + BitmapFileHeaderSize; }

    // Appends a record of `size` bytes, 0xEE past its known fields, with
    // `text` in its 32-byte field at `textAt`; returns where it starts.
    std::size_t record(std::size_t size, std::size_t textAt, const std::string& text) {
        const std::size_t at = bytes.size();
        bytes.resize(at + size, 0xEE);
        std::fill_n(&bytes[at + textAt], 32, 0);
        std::copy_n(text.begin(), std::min<std::size_t>(text.size(), 32), &bytes[at + textAt]);
        return at;
    }
    void point(std::int32_t x, std::int32_t y, const std::string& name, std::uint16_t count,
               std::size_t size = 42) {
        const std::size_t at = record(size, 8, name);
        writeI32(&bytes[at], x);
        writeI32(&bytes[at + 4], y);
        writeU16(&bytes[at + 40], count);
    }
    void ap(std::uint8_t channel, std::uint16_t storedRssi, std::uint8_t macTail,
            const std::string& ssid, std::size_t size = 41) {
        const std::size_t at = record(size, 9, ssid);
        const std::uint8_t head[9] = {channel, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, macTail};
        std::copy_n(head, 9, &bytes[at]);
        writeU16(&bytes[at + 1], storedRssi);
    }
};

// The site written to a file, opened and, when that succeeds, loaded.
struct Loaded {
    Loaded(const TempDir& dir, const SiteBytes& site) : result(openWritten(dir, site)) {
        if (result)
            loadPoints(*result, store,
                       [&](int x, int y, int rssi) { marks.emplace_back(x, y, rssi); });
    }
    static SiteResult<OpenedSite> openWritten(const TempDir& dir, const SiteBytes& site) {
        writeBytes(dir.file("site.tws"), site.bytes);
        return openSite(dir.file("site.tws"));
    }
    SiteResult<OpenedSite> result;
    RecordList store;
    Marks marks;
};

} // namespace marlow::test
