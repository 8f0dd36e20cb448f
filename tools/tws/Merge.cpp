// Comparing floor plans and joining points for `tws merge`.
#include "Merge.h"

#include "sitefile/SurveyData.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

namespace marlow::tws {

namespace {

std::string colorText(std::uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(rgb));
    return text;
}

} // namespace

std::optional<std::string> planDifference(const SiteBitmap& first, const SiteBitmap& other) {
    if (other.width != first.width || other.height != first.height)
        return "the floor plan is " + std::to_string(other.width) + " x " +
               std::to_string(other.height) + " pixels, not " + std::to_string(first.width) +
               " x " + std::to_string(first.height);
    for (int entry = 0; entry < 256; ++entry) {
        const auto i = static_cast<std::uint8_t>(entry);
        if (other.rgb(i) != first.rgb(i))
            return "colour-table entry " + std::to_string(entry) + " is " +
                   colorText(other.rgb(i)) + ", not " + colorText(first.rgb(i));
    }
    // Rows are compared as pictures, from the top; a row's padding is not
    // part of the picture.
    const auto width = static_cast<std::size_t>(first.width);
    for (std::int32_t y = 0; y < first.height; ++y) {
        const std::uint8_t* mine = first.row(y);
        const std::uint8_t* theirs = other.row(y);
        const std::uint8_t* at = std::mismatch(mine, mine + width, theirs).first;
        if (at != mine + width) {
            const std::ptrdiff_t x = at - mine;
            return "the pixel at (" + std::to_string(x) + ", " + std::to_string(y) +
                   ") is colour-table entry " + std::to_string(theirs[x]) + ", not " +
                   std::to_string(*at);
        }
    }
    return std::nullopt;
}

void PointJoiner::add(const RecordList& loaded) {
    std::vector<std::uint8_t> bytes;
    forEachStoredPoint(loaded, SplitRule::SaveSiteData, [&](PointRecords point) {
        bytes.clear();
        appendStoredPoint(bytes, point, SplitRule::SaveSiteData);
        if (!m_seen.emplace(bytes.begin(), bytes.end()).second)
            return;
        for (auto at = point.begin; at != point.end; ++at)
            if (m_store.appendCopy(*at) != RecordList::Ok)
                throw std::bad_alloc();
    });
}

} // namespace marlow::tws
