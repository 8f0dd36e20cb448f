// The JSON dump, the CSV export and the summary of a site file.
#include "SiteExport.h"

#include "ExportText.h"
#include "SiteFormat.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

namespace marlow {

namespace {

using RecordIt = RecordList::const_iterator;

// Calls visit(first, last) for each run of adjacent records that belongs(a,
// b) holds to be one point.
template <typename Belongs, typename Visit>
void forEachPoint(const RecordList& store, Belongs belongs, Visit visit) {
    RecordIt first = store.begin();
    while (first != store.end()) {
        RecordIt last = std::next(first);
        while (last != store.end() && belongs(*first, *last))
            ++last;
        visit(first, last);
        first = last;
    }
}

// A point on the map: the records at one position.
bool samePosition(const SurveyRecord& a, const SurveyRecord& b) {
    return a.x == b.x && a.y == b.y;
}

// A stored point record: the records at one position under one name.
bool sameStoredPoint(const SurveyRecord& a, const SurveyRecord& b) {
    return samePosition(a, b) && textOf(a.pointName) == textOf(b.pointName);
}

// Quotes and backslashes escaped, control characters as \u00XX.
void writeJsonString(std::ostream& out, std::string_view text) {
    out << '"';
    std::size_t at = 0;
    while (at < text.size()) {
        if (const std::size_t control = controlLength(text, at); control != 0) {
            // U+0000..U+009F: the code point is the character's last byte.
            out << "\\u00" << hexBytes(text.substr(at + control - 1, 1));
            at += control;
            continue;
        }
        if (text[at] == '"' || text[at] == '\\')
            out << '\\';
        out << text[at++];
    }
    out << '"';
}

// "key":"text","keyHex":"exact bytes"
void writeJsonText(std::ostream& out, std::string_view key, std::string_view bytes) {
    out << '"' << key << "\":";
    writeJsonString(out, escapeText(bytes, ControlChars::Kept));
    out << ",\"" << key << "Hex\":\"" << hexBytes(bytes) << '"';
}

// A text cell: escaped so that it holds no control character, kept from
// being taken for a formula, and quoted only when it has to be (RFC 4180),
// quotes inside doubled.
void writeCsvText(std::ostream& out, std::string_view bytes) {
    std::string cell = escapeText(bytes, ControlChars::Escaped);
    // Spreadsheets run a cell that starts with one of these as a formula; a
    // leading quote makes it text. A tab or carriage return, which some
    // take for one too, cannot start a cell: it has been escaped.
    if (!cell.empty() && std::string_view("=+-@").find(cell.front()) != std::string_view::npos)
        cell.insert(0, 1, '\'');
    if (cell.find_first_of(",\"") == std::string::npos) {
        out << cell;
        return;
    }
    out << '"';
    for (const char c : cell) {
        if (c == '"')
            out << '"';
        out << c;
    }
    out << '"';
}

} // namespace

std::string isoUtcTime(std::uint32_t secondsSinceEpoch) {
    using namespace std::chrono;
    const sys_seconds time{seconds{secondsSinceEpoch}};
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ",
                  static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                  static_cast<unsigned>(date.day()), static_cast<int>(clock.hours().count()),
                  static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

void writeJson(std::ostream& out, const OpenedSite& site, const RecordList& store) {
    const SiteHeaderFields fields = decodeHeader(site.file.header);
    out << "{\"version\":" << fields.version << ",\"saveTime\":" << fields.saveTime
        << ",\"bitmap\":{\"width\":" << site.bitmap.width << ",\"height\":" << site.bitmap.height
        << "},\"points\":[";
    bool firstPoint = true;
    forEachPoint(store, sameStoredPoint, [&](RecordIt first, RecordIt last) {
        out << (firstPoint ? "" : ",") << "{\"x\":" << first->x << ",\"y\":" << first->y << ',';
        writeJsonText(out, "name", textOf(first->pointName));
        out << ",\"records\":[";
        for (RecordIt r = first; r != last; ++r) {
            out << (r == first ? "" : ",") << '{';
            writeJsonText(out, "mac", textOf(r->macText));
            out << ',';
            writeJsonText(out, "ssid", textOf(r->ssid));
            out << ",\"channel\":" << r->channel << ",\"rssi\":" << r->rssi << '}';
        }
        out << "]}";
        firstPoint = false;
    });
    out << "]}\n";
}

void writeCsv(std::ostream& out, const RecordList& store) {
    out << "point,x,y,name,mac,ssid,channel,rssi\n";
    int point = 0;
    forEachPoint(store, samePosition, [&](RecordIt first, RecordIt last) {
        ++point;
        for (RecordIt r = first; r != last; ++r) {
            out << point << ',' << r->x << ',' << r->y << ',';
            writeCsvText(out, textOf(r->pointName));
            out << ',';
            writeCsvText(out, textOf(r->macText));
            out << ',';
            writeCsvText(out, textOf(r->ssid));
            out << ',' << r->channel << ',' << r->rssi << '\n';
        }
    });
}

void writeInfo(std::ostream& out, const OpenedSite& site, const RecordList& store) {
    std::size_t points = 0;
    std::size_t nothingHeard = 0;
    forEachPoint(store, samePosition, [&](RecordIt first, RecordIt last) {
        ++points;
        if (std::all_of(first, last, isPlaceholder))
            ++nothingHeard;
    });
    const auto apRecords = static_cast<std::size_t>(std::count_if(
        store.begin(), store.end(), [](const SurveyRecord& r) { return !isPlaceholder(r); }));

    const SiteHeaderFields fields = decodeHeader(site.file.header);
    const auto line = [&out](std::string_view label, const auto& value) {
        std::string head = std::string(label) + ':';
        head.resize(22, ' ');
        out << head << value << '\n';
    };
    line("version", fields.version);
    line("save time", isoUtcTime(fields.saveTime));
    line("header length", fields.headerLength);
    line("bitmap offset", fields.bitmapOffset);
    line("signature offset", fields.signatureOffset);
    line("data offset", fields.dataOffset);
    line("floor plan",
         std::to_string(site.bitmap.width) + " x " + std::to_string(site.bitmap.height));
    line("points", points);
    line("access-point records", apRecords);
    line("placeholder points", nothingHeard);
}

} // namespace marlow
