// The JSON dump, the CSV export and the summary of a site file.
#include "SiteExport.h"

#include "SiteFormat.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

namespace marlow {

namespace {

using RecordIt = RecordList::const_iterator;

// Calls visit(first, last) for each run of adjacent records at one position.
template <typename Visit> void forEachPoint(const RecordList& store, Visit visit) {
    RecordIt first = store.begin();
    while (first != store.end()) {
        RecordIt last = std::next(first);
        while (last != store.end() && last->x == first->x && last->y == first->y)
            ++last;
        visit(first, last);
        first = last;
    }
}

void writeJsonText(std::ostream& out, std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    out << '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            out << '\\' << c;
        else if (byte < 0x20 || byte >= 0x7F)
            out << "\\u00" << hex[byte >> 4] << hex[byte & 0x0F];
        else
            out << c;
    }
    out << '"';
}

// A field is quoted only when it has to be; quotes inside are doubled.
void writeCsvField(std::ostream& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out << text;
        return;
    }
    out << '"';
    for (const char c : text) {
        if (c == '"')
            out << '"';
        out << c;
    }
    out << '"';
}

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

} // namespace

void writeJson(std::ostream& out, const OpenedSite& site, const RecordList& store) {
    const SiteHeaderFields fields = decodeHeader(site.file.header);
    out << "{\"version\":" << fields.version << ",\"saveTime\":" << fields.saveTime
        << ",\"bitmap\":{\"width\":" << site.bitmap.width << ",\"height\":" << site.bitmap.height
        << "},\"points\":[";
    bool firstPoint = true;
    forEachPoint(store, [&](RecordIt first, RecordIt last) {
        out << (firstPoint ? "" : ",") << "{\"x\":" << first->x << ",\"y\":" << first->y
            << ",\"name\":";
        writeJsonText(out, textOf(first->pointName));
        out << ",\"records\":[";
        for (RecordIt r = first; r != last; ++r) {
            out << (r == first ? "" : ",") << "{\"mac\":";
            writeJsonText(out, textOf(r->macText));
            out << ",\"ssid\":";
            writeJsonText(out, textOf(r->ssid));
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
    forEachPoint(store, [&](RecordIt first, RecordIt last) {
        ++point;
        for (RecordIt r = first; r != last; ++r) {
            out << point << ',' << r->x << ',' << r->y << ',';
            writeCsvField(out, textOf(r->pointName));
            out << ',';
            writeCsvField(out, textOf(r->macText));
            out << ',';
            writeCsvField(out, textOf(r->ssid));
            out << ',' << r->channel << ',' << r->rssi << '\n';
        }
    });
}

void writeInfo(std::ostream& out, const OpenedSite& site, const RecordList& store) {
    std::size_t points = 0;
    std::size_t nothingHeard = 0;
    forEachPoint(store, [&](RecordIt first, RecordIt last) {
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
