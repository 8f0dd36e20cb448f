// Writing and reading recorded sweeps, one JSON line each. A field that
// breaks the format ends the reading of its line with an error naming it.
#include "SweepJson.h"

#include "JsonRead.h"

#include <cstdio>
#include <utility>

namespace marlow::sweeplog {
namespace {

using jsonread::Bytes;
using jsonread::Fields;
using jsonread::invalid;
using jsonread::Json;
using jsonread::shortDump;
// Written with its keys in the order the format lists them.
using OrderedJson = nlohmann::ordered_json;

std::string timeText(TimePoint time) {
    using namespace std::chrono;
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                  int(clock.minutes().count()), int(clock.seconds().count()),
                  int(clock.subseconds().count()));
    return text;
}

// "YYYY-MM-DDTHH:MM:SSZ", with ".mmm" before the Z or without.
std::optional<TimePoint> parseTime(std::string_view text) {
    using namespace std::chrono;
    constexpr std::string_view Whole = "dddd-dd-ddTdd:dd:ddZ";
    constexpr std::string_view WithFraction = "dddd-dd-ddTdd:dd:dd.dddZ";
    const bool fraction = text.size() == WithFraction.size();
    if (text.size() != Whole.size() && !fraction)
        return std::nullopt;
    const std::string_view pattern = fraction ? WithFraction : Whole;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (pattern[i] == 'd' ? !digit : text[i] != pattern[i])
            return std::nullopt;
    }
    const auto number = [&](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i)
            value = value * 10 + (text[i] - '0');
        return value;
    };
    const year_month_day date{year(number(0, 4)), month(unsigned(number(5, 2))),
                              day(unsigned(number(8, 2)))};
    const int hour = number(11, 2);
    const int minute = number(14, 2);
    const int second = number(17, 2);
    if (!date.ok() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return sys_days(date) + hours(hour) + minutes(minute) + seconds(second) +
           milliseconds(fraction ? number(20, 3) : 0);
}

wifi::ScannedBss readBss(const Json& object, const std::string& where) {
    const Fields fields(object, where,
                        {"bssid", "frequency", "signal_mbm", "age_ms", "stale", "elements"});
    wifi::ScannedBss bss;
    const std::string bssid = fields.text("bssid");
    const std::optional<jsonread::Mac> mac = jsonread::parseMac(bssid);
    if (!mac)
        invalid(fields.name("bssid"),
                "expected six hex pairs like \"aa:bb:cc:dd:ee:ff\", got " + shortDump(bssid));
    bss.bssid = *mac;
    bss.frequencyMhz = fields.integer<std::uint32_t>("frequency");
    bss.signalMbm = fields.integer<std::int32_t>("signal_mbm");
    bss.ageMs = fields.integer<std::uint32_t>("age_ms");
    bss.stale = fields.boolean("stale");
    const std::string elements = fields.text("elements");
    std::optional<Bytes> bytes = jsonread::hexBytes(elements);
    if (!bytes)
        invalid(fields.name("elements"),
                "expected pairs of hex digits, got " + shortDump(elements));
    bss.elements = std::move(*bytes);
    return bss;
}

RecordedSweep readSweep(const Json& root) {
    const Fields fields(
        root, "", {"time", "interface", "position", "bss", "dropped", "notes", "adapter_gone"});
    RecordedSweep recorded;
    const std::string time = fields.text("time");
    const std::optional<TimePoint> parsed = parseTime(time);
    if (!parsed)
        invalid(fields.name("time"),
                "expected a UTC time like \"2026-12-07T04:53:45.120Z\", got " + shortDump(time));
    recorded.time = *parsed;
    if (fields.optional("interface"))
        recorded.interfaceName = fields.text("interface");
    if (const Json* position = fields.optional("position")) {
        const Fields at(*position, fields.name("position"), {"x", "y"});
        recorded.position = board::SurveyPosition{at.number("x"), at.number("y")};
    }
    const Json& bss = fields.array("bss");
    if (bss.size() > wifi::MaxBssPerSweep)
        invalid(fields.name("bss"),
                "more than " + std::to_string(wifi::MaxBssPerSweep) + " BSSs in one sweep");
    for (std::size_t i = 0; i < bss.size(); ++i)
        recorded.sweep.heard.push_back(readBss(bss[i], fields.name("bss", i)));
    recorded.sweep.dropped = fields.integer<std::size_t>("dropped");
    const Json& notes = fields.array("notes");
    for (std::size_t i = 0; i < notes.size(); ++i)
        recorded.sweep.notes.push_back(Fields::textIn(fields.name("notes", i), notes[i]));
    recorded.sweep.adapterGone = fields.boolean("adapter_gone");
    return recorded;
}

// "parse error at line 1, column 5: syntax error ..." as "column 5: syntax
// error ...": a line has one line.
std::string lineSyntaxError(const Json::parse_error& failure) {
    const std::string text = jsonread::syntaxError(failure);
    const std::size_t colon = text.find(": ");
    return "column " + std::to_string(failure.byte) + ": " +
           (colon == std::string::npos ? text : text.substr(colon + 2));
}

} // namespace

std::string sweepJsonLine(const RecordedSweep& recorded) {
    OrderedJson root = {{"time", timeText(recorded.time)}};
    if (recorded.interfaceName)
        root["interface"] = *recorded.interfaceName;
    if (recorded.position)
        root["position"] = {{"x", recorded.position->x}, {"y", recorded.position->y}};
    OrderedJson& heard = root["bss"] = OrderedJson::array();
    for (const wifi::ScannedBss& bss : recorded.sweep.heard)
        heard.push_back({{"bssid", jsonread::hexText(bss.bssid, ':')},
                         {"frequency", bss.frequencyMhz},
                         {"signal_mbm", bss.signalMbm},
                         {"age_ms", bss.ageMs},
                         {"stale", bss.stale},
                         {"elements", jsonread::hexText(bss.elements)}});
    root["dropped"] = recorded.sweep.dropped;
    root["notes"] = recorded.sweep.notes;
    root["adapter_gone"] = recorded.sweep.adapterGone;
    // Texts that are not UTF-8 (an interface name is any bytes) have those
    // bytes replaced rather than stop the writing.
    return root.dump(-1, ' ', false, OrderedJson::error_handler_t::replace) + "\n";
}

Result<RecordedSweep> parseSweepLine(std::string_view line) {
    return jsonread::parseWith(line, readSweep, lineSyntaxError);
}

Result<std::vector<RecordedSweep>> parseSweepLines(std::string_view text) {
    std::vector<RecordedSweep> sweeps;
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.find_first_not_of(" \t\r") == std::string_view::npos)
            continue;
        Result<RecordedSweep> sweep = parseSweepLine(line);
        if (!sweep)
            return fail(Error{"line " + std::to_string(number) + ": " + sweep.error().message});
        sweeps.push_back(std::move(sweep).value());
    }
    if (sweeps.empty())
        return fail(Error{"no sweeps recorded"});
    return sweeps;
}

Result<std::vector<RecordedSweep>> loadSweeps(const std::string& path) {
    return jsonread::loadFile(path, parseSweepLines);
}

} // namespace marlow::sweeplog
