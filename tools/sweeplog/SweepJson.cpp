// Writing and reading recorded sweeps, one JSON line each. A field that
// breaks the format ends the reading of its line with an error naming it.
#include "SweepJson.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <utility>

namespace marlow::sweeplog {
namespace {

using Json = nlohmann::json;
// Written with its keys in the order the format lists them.
using OrderedJson = nlohmann::ordered_json;
using Bytes = std::vector<std::uint8_t>;

// Ends the reading of a line: the field and what is wrong with it.
struct Invalid {
    std::string message;
};

[[noreturn]] void invalid(const std::string& where, const std::string& problem) {
    throw Invalid{where.empty() ? problem : where + ": " + problem};
}

// A value as the error shows it: a scalar, cut short, or what kind of
// container it is (whose text could nest deeper than the stack reaches).
std::string shortDump(const Json& value) {
    if (value.is_object())
        return "an object";
    if (value.is_array())
        return "an array";
    constexpr std::size_t Longest = 40;
    std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    if (text.size() > Longest)
        text = text.substr(0, Longest) + "...";
    return text;
}

constexpr char HexDigits[] = "0123456789abcdef";

std::string hexText(const Bytes& bytes, char separator = '\0') {
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const std::uint8_t byte : bytes) {
        if (separator != '\0' && !text.empty())
            text += separator;
        text += HexDigits[byte >> 4];
        text += HexDigits[byte & 15];
    }
    return text;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Pairs of hex digits in either case, each pair after the first preceded by
// the separator when there is one.
std::optional<Bytes> hexBytes(std::string_view text, char separator = '\0') {
    const std::size_t step = separator == '\0' ? 2 : 3;
    if ((text.size() + step - 2) % step != 0)
        return std::nullopt;
    Bytes bytes;
    bytes.reserve(text.size() / step + 1);
    for (std::size_t at = 0; at < text.size(); at += step) {
        const int high = hexDigit(text[at]);
        const int low = hexDigit(text[at + 1]);
        if (high < 0 || low < 0 || (step == 3 && at + 2 < text.size() && text[at + 2] != separator))
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

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

// The fields of one JSON object, and no others.
class Fields {
public:
    Fields(const Json& object, std::string where, std::initializer_list<std::string_view> keys)
        : m_object(object), m_where(std::move(where)) {
        if (!m_object.is_object())
            invalid(m_where, "expected an object, got " + shortDump(m_object));
        for (const auto& [key, value] : m_object.items()) {
            bool known = false;
            for (const std::string_view allowed : keys)
                known = known || key == allowed;
            if (!known)
                invalid(m_where, "unknown key \"" + key + "\"");
        }
    }

    const Json* optional(const char* key) const {
        const auto found = m_object.find(key);
        return found == m_object.end() ? nullptr : &*found;
    }
    const Json& required(const char* key) const {
        if (const Json* value = optional(key))
            return *value;
        invalid(m_where, "missing \"" + std::string(key) + "\"");
    }
    std::string name(const char* key) const { return m_where.empty() ? key : m_where + "." + key; }

    template <typename Integer> Integer integer(const char* key) const {
        const Json& value = required(key);
        using Limits = std::numeric_limits<Integer>;
        const bool inRange =
            value.is_number_unsigned()
                ? std::in_range<Integer>(value.get<std::uint64_t>())
                : value.is_number_integer() && std::in_range<Integer>(value.get<std::int64_t>());
        if (!inRange)
            invalid(name(key), "expected an integer from " + std::to_string(Limits::min()) +
                                   " to " + std::to_string(Limits::max()) + ", got " +
                                   shortDump(value));
        return value.get<Integer>();
    }
    double number(const char* key) const {
        const Json& value = required(key);
        if (!value.is_number() || !std::isfinite(value.get<double>()))
            invalid(name(key), "expected a number, got " + shortDump(value));
        return value.get<double>();
    }
    bool boolean(const char* key) const {
        const Json& value = required(key);
        if (!value.is_boolean())
            invalid(name(key), "expected true or false, got " + shortDump(value));
        return value.get<bool>();
    }
    std::string text(const char* key) const { return textIn(name(key), required(key)); }

    static std::string textIn(const std::string& where, const Json& value) {
        if (!value.is_string())
            invalid(where, "expected a string, got " + shortDump(value));
        return value.get<std::string>();
    }

private:
    const Json& m_object;
    std::string m_where;
};

wifi::ScannedBss readBss(const Json& object, const std::string& where) {
    const Fields fields(object, where,
                        {"bssid", "frequency", "signal_mbm", "age_ms", "stale", "elements"});
    wifi::ScannedBss bss;
    const std::string bssid = fields.text("bssid");
    const std::optional<Bytes> mac = hexBytes(bssid, ':');
    if (!mac || mac->size() != bss.bssid.size())
        invalid(fields.name("bssid"),
                "expected six hex pairs like \"aa:bb:cc:dd:ee:ff\", got " + shortDump(bssid));
    std::copy(mac->begin(), mac->end(), bss.bssid.begin());
    bss.frequencyMhz = fields.integer<std::uint32_t>("frequency");
    bss.signalMbm = fields.integer<std::int32_t>("signal_mbm");
    bss.ageMs = fields.integer<std::uint32_t>("age_ms");
    bss.stale = fields.boolean("stale");
    const std::string elements = fields.text("elements");
    std::optional<Bytes> bytes = hexBytes(elements);
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
    const Json& bss = fields.required("bss");
    if (!bss.is_array())
        invalid(fields.name("bss"), "expected an array, got " + shortDump(bss));
    if (bss.size() > wifi::MaxBssPerSweep)
        invalid(fields.name("bss"),
                "more than " + std::to_string(wifi::MaxBssPerSweep) + " BSSs in one sweep");
    for (std::size_t i = 0; i < bss.size(); ++i)
        recorded.sweep.heard.push_back(
            readBss(bss[i], fields.name("bss") + "[" + std::to_string(i) + "]"));
    recorded.sweep.dropped = fields.integer<std::size_t>("dropped");
    const Json& notes = fields.required("notes");
    if (!notes.is_array())
        invalid(fields.name("notes"), "expected an array, got " + shortDump(notes));
    for (std::size_t i = 0; i < notes.size(); ++i)
        recorded.sweep.notes.push_back(
            Fields::textIn(fields.name("notes") + "[" + std::to_string(i) + "]", notes[i]));
    recorded.sweep.adapterGone = fields.boolean("adapter_gone");
    return recorded;
}

// nlohmann's messages read "[json.exception.parse_error.101] parse error at
// line 1, column 5: syntax error ..."; a line has one line.
std::string syntaxError(const Json::parse_error& failure) {
    const std::string text = failure.what();
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
        heard.push_back({{"bssid", hexText(Bytes(bss.bssid.begin(), bss.bssid.end()), ':')},
                         {"frequency", bss.frequencyMhz},
                         {"signal_mbm", bss.signalMbm},
                         {"age_ms", bss.ageMs},
                         {"stale", bss.stale},
                         {"elements", hexText(bss.elements)}});
    root["dropped"] = recorded.sweep.dropped;
    root["notes"] = recorded.sweep.notes;
    root["adapter_gone"] = recorded.sweep.adapterGone;
    // Texts that are not UTF-8 (an interface name is any bytes) have those
    // bytes replaced rather than stop the writing.
    return root.dump(-1, ' ', false, OrderedJson::error_handler_t::replace) + "\n";
}

Result<RecordedSweep> parseSweepLine(std::string_view line) {
    try {
        return readSweep(Json::parse(line.begin(), line.end()));
    } catch (const Json::parse_error& failure) {
        return fail(Error{syntaxError(failure)});
    } catch (const Invalid& failure) {
        return fail(Error{failure.message});
    }
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
    std::ifstream in(path, std::ios::binary);
    std::error_code ignored;
    if (!in || std::filesystem::is_directory(path, ignored))
        return fail(Error::fromErrno(path + ": cannot read", in ? EISDIR : errno));
    std::ostringstream text;
    text << in.rdbuf();
    Result<std::vector<RecordedSweep>> read = parseSweepLines(text.str());
    if (!read)
        return fail(Error{path + ": " + read.error().message});
    return read;
}

} // namespace marlow::sweeplog
