// Reading, checking and writing scenario files. A field that breaks a rule
// ends the reading with an error that names it.
#include "ScenarioJson.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

namespace marlow::sim {
namespace {

using Json = nlohmann::json;
// Written with its keys in the order the format lists them.
using OrderedJson = nlohmann::ordered_json;
using board::AccessPoint;
using board::PathLoss;
using board::Scenario;

// Ends the reading: the field and what is wrong with it.
struct Invalid {
    std::string message;
};

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string shortDump(const Json& value) {
    constexpr std::size_t Longest = 40;
    std::string text = value.dump();
    if (text.size() > Longest)
        text = text.substr(0, Longest) + "...";
    return text;
}

std::optional<int> hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return std::nullopt;
}

// "00:11:22:33:44:55", hex digits in either case.
std::optional<MacAddress> parseMac(std::string_view text) {
    constexpr std::size_t TextLength = 17;
    if (text.size() != TextLength)
        return std::nullopt;
    MacAddress mac{};
    for (std::size_t i = 0; i < mac.size(); ++i) {
        const std::size_t at = 3 * i;
        const auto high = hexDigit(text[at]);
        const auto low = hexDigit(text[at + 1]);
        if (!high || !low || (at + 2 < TextLength && text[at + 2] != ':'))
            return std::nullopt;
        mac[i] = static_cast<std::uint8_t>(*high * 16 + *low);
    }
    return mac;
}

std::string macText(const MacAddress& mac) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

// Reads the fields of one JSON object.
class ObjectReader {
public:
    ObjectReader(const Json& object, std::string where)
        : m_object(object), m_where(std::move(where)) {
        if (!m_object.is_object())
            throw Invalid{m_where + ": expected an object"};
    }

    void allowOnly(std::initializer_list<std::string_view> keys) const {
        for (const auto& [key, value] : m_object.items()) {
            bool known = false;
            for (std::string_view allowed : keys)
                known = known || key == allowed;
            if (!known)
                fail(m_where, "unknown key \"" + key + "\"");
        }
    }

    // Each reader comes in two kinds: required (no fallback) and optional.
    double number(const char* key, double min, double max) const {
        return numberIn(key, *field(key, true), min, max);
    }
    double number(const char* key, double fallback, double min, double max) const {
        const Json* value = field(key, false);
        return value ? numberIn(key, *value, min, max) : fallback;
    }
    std::int64_t integer(const char* key, std::int64_t min, std::int64_t max) const {
        return integerIn(key, *field(key, true), min, max);
    }
    std::int64_t integer(const char* key, std::int64_t fallback, std::int64_t min,
                         std::int64_t max) const {
        const Json* value = field(key, false);
        return value ? integerIn(key, *value, min, max) : fallback;
    }
    std::string text(const char* key, std::size_t maxLength) const {
        return textIn(key, *field(key, true), maxLength);
    }
    std::string text(const char* key, const std::string& fallback, std::size_t maxLength) const {
        const Json* value = field(key, false);
        return value ? textIn(key, *value, maxLength) : fallback;
    }

    std::string name(const char* key) const { return m_where.empty() ? key : m_where + "." + key; }

    [[noreturn]] static void fail(const std::string& where, const std::string& problem) {
        throw Invalid{where.empty() ? problem : where + ": " + problem};
    }

private:
    const Json* field(const char* key, bool required) const {
        const auto found = m_object.find(key);
        if (found != m_object.end())
            return &*found;
        if (required)
            fail(m_where, "missing \"" + std::string(key) + "\"");
        return nullptr;
    }

    double numberIn(const char* key, const Json& value, double min, double max) const {
        if (!value.is_number() || value.get<double>() < min || value.get<double>() > max)
            fail(name(key), "expected a number from " + formatNumber(min) + " to " +
                                formatNumber(max) + ", got " + shortDump(value));
        return value.get<double>();
    }

    std::int64_t integerIn(const char* key, const Json& value, std::int64_t min,
                           std::int64_t max) const {
        const bool inRange = value.is_number_unsigned()
                                 ? value.get<std::uint64_t>() <= static_cast<std::uint64_t>(max)
                                 : value.is_number_integer() && value.get<std::int64_t>() >= min &&
                                       value.get<std::int64_t>() <= max;
        if (!inRange)
            fail(name(key), "expected an integer from " + std::to_string(min) + " to " +
                                std::to_string(max) + ", got " + shortDump(value));
        return value.get<std::int64_t>();
    }

    std::string textIn(const char* key, const Json& value, std::size_t maxLength) const {
        if (!value.is_string())
            fail(name(key), "expected a string, got " + shortDump(value));
        std::string result = value.get<std::string>();
        if (result.size() > maxLength)
            fail(name(key), "longer than " + std::to_string(maxLength) + " bytes");
        if (result.find('\0') != std::string::npos)
            fail(name(key), "contains a zero byte");
        return result;
    }

    const Json& m_object;
    std::string m_where;
};

PathLoss readPathLoss(const Json& object) {
    const ObjectReader reader(object, "pathLoss");
    reader.allowOnly({"referenceDbm", "exponent", "pixelsPerMetre", "noiseDb", "thresholdDbm"});
    PathLoss loss;
    loss.referenceDbm = reader.number("referenceDbm", loss.referenceDbm, -120, 0);
    loss.exponent = reader.number("exponent", loss.exponent, 1, 10);
    loss.pixelsPerMetre = reader.number("pixelsPerMetre", loss.pixelsPerMetre, 0.01, 10000);
    loss.noiseDb = reader.number("noiseDb", loss.noiseDb, 0, 30);
    loss.thresholdDbm = reader.number("thresholdDbm", loss.thresholdDbm, -100, -20);
    return loss;
}

AccessPoint readAccessPoint(const Json& object, const std::string& where) {
    const ObjectReader reader(object, where);
    reader.allowOnly({"mac", "ssid", "channel", "x", "y", "txPowerDbm"});
    AccessPoint ap;
    const std::string mac = reader.text("mac", 64);
    if (const auto parsed = parseMac(mac))
        ap.mac = *parsed;
    else
        reader.fail(reader.name("mac"),
                    "expected six hex pairs like \"00:11:22:33:44:55\", got \"" + mac + "\"");
    ap.ssid = reader.text("ssid", report::MaxSsid);
    ap.channel =
        static_cast<int>(reader.integer("channel", board::FirstChannel, board::LastChannel));
    constexpr double Far = 1e6;
    ap.x = reader.number("x", -Far, Far);
    ap.y = reader.number("y", -Far, Far);
    ap.txPowerDbm = reader.number("txPowerDbm", 0, -40, 40);
    return ap;
}

std::vector<AccessPoint> readAccessPoints(const Json& array) {
    if (!array.is_array())
        throw Invalid{"accessPoints: expected an array"};
    std::vector<AccessPoint> aps;
    std::map<MacAddress, std::string> seen;
    for (std::size_t i = 0; i < array.size(); ++i) {
        const std::string where = "accessPoints[" + std::to_string(i) + "]";
        AccessPoint ap = readAccessPoint(array[i], where);
        const auto [earlier, fresh] = seen.emplace(ap.mac, where);
        if (!fresh)
            throw Invalid{where + ".mac: " + array[i]["mac"].get<std::string>() +
                          " is already used by " + earlier->second};
        aps.push_back(std::move(ap));
    }
    return aps;
}

Scenario readScenario(const Json& root) {
    if (!root.is_object())
        throw Invalid{"expected a JSON object at the top level"};
    const ObjectReader reader(root, "");
    reader.allowOnly({"seed", "firmware", "serial", "pathLoss", "accessPoints"});
    Scenario scenario;
    scenario.seed = static_cast<std::uint32_t>(reader.integer("seed", 1, 0, UINT32_MAX));
    scenario.firmware = reader.text("firmware", scenario.firmware, board::MaxBoardText);
    scenario.serial = reader.text("serial", scenario.serial, board::MaxBoardText);
    if (root.contains("pathLoss"))
        scenario.pathLoss = readPathLoss(root["pathLoss"]);
    if (!root.contains("accessPoints"))
        throw Invalid{"missing \"accessPoints\""};
    scenario.accessPoints = readAccessPoints(root["accessPoints"]);
    return scenario;
}

// nlohmann's messages start with "[json.exception.parse_error.101] ".
std::string syntaxError(const Json::parse_error& failure) {
    const std::string text = failure.what();
    const std::size_t end = text.find("] ");
    return end == std::string::npos ? text : text.substr(end + 2);
}

// Whole numbers as integers, so that a written scenario reads like a
// hand-written one; the value read back is the same.
OrderedJson number(double value) {
    constexpr double Exact = 9007199254740992.0; // 2^53
    if (std::trunc(value) == value && std::fabs(value) < Exact)
        return static_cast<std::int64_t>(value);
    return value;
}

} // namespace

Result<Scenario> parseScenario(std::string_view json) {
    try {
        return readScenario(Json::parse(json.begin(), json.end()));
    } catch (const Json::parse_error& failure) {
        return fail(Error{syntaxError(failure)});
    } catch (const Invalid& invalid) {
        return fail(Error{invalid.message});
    }
}

Result<Scenario> loadScenario(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::error_code ignored;
    if (!in || std::filesystem::is_directory(path, ignored))
        return fail(Error::fromErrno(path + ": cannot read", in ? EISDIR : errno));
    std::ostringstream text;
    text << in.rdbuf();
    Result<Scenario> read = parseScenario(text.str());
    if (!read)
        return fail(Error{path + ": " + read.error().message});
    return read;
}

std::string scenarioJson(const Scenario& scenario) {
    const PathLoss& loss = scenario.pathLoss;
    OrderedJson root = {{"seed", scenario.seed},
                        {"firmware", scenario.firmware},
                        {"serial", scenario.serial},
                        {"pathLoss",
                         {{"referenceDbm", number(loss.referenceDbm)},
                          {"exponent", number(loss.exponent)},
                          {"pixelsPerMetre", number(loss.pixelsPerMetre)},
                          {"noiseDb", number(loss.noiseDb)},
                          {"thresholdDbm", number(loss.thresholdDbm)}}},
                        {"accessPoints", OrderedJson::array()}};
    for (const AccessPoint& ap : scenario.accessPoints)
        root["accessPoints"].push_back({{"mac", macText(ap.mac)},
                                        {"ssid", ap.ssid},
                                        {"channel", ap.channel},
                                        {"x", number(ap.x)},
                                        {"y", number(ap.y)},
                                        {"txPowerDbm", number(ap.txPowerDbm)}});
    // Texts read from JSON are UTF-8 already; any other byte is replaced
    // rather than left to stop the writing.
    return root.dump(2, ' ', false, OrderedJson::error_handler_t::replace) + "\n";
}

} // namespace marlow::sim
