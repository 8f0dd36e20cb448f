// Reading and checking scenario files. Every error names the field it is
// about ("accessPoints[2].channel: ...") and the first one found is kept.
#include "boardsim/Scenario.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

namespace marlow::sim {
namespace {

using Json = nlohmann::json;

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

// Reads the fields of one JSON object; the first failure goes into the
// shared error text and later reads return their fallbacks.
class ObjectReader {
public:
    ObjectReader(const Json& object, std::string where, std::string& error)
        : m_object(object), m_where(std::move(where)), m_error(error) {}

    void allowOnly(std::initializer_list<std::string_view> keys) {
        for (const auto& [key, value] : m_object.items()) {
            bool known = false;
            for (std::string_view allowed : keys)
                known = known || key == allowed;
            if (!known)
                fail(m_where, "unknown key \"" + key + "\"");
        }
    }

    double number(const char* key, double fallback, double min, double max, bool required) {
        const Json* value = field(key, required);
        if (!value)
            return fallback;
        if (value->is_number() && value->get<double>() >= min && value->get<double>() <= max)
            return value->get<double>();
        fail(name(key), "expected a number from " + formatNumber(min) + " to " + formatNumber(max) +
                            ", got " + shortDump(*value));
        return fallback;
    }

    std::int64_t integer(const char* key, std::int64_t fallback, std::int64_t min, std::int64_t max,
                         bool required) {
        const Json* value = field(key, required);
        if (!value)
            return fallback;
        const bool inRange = value->is_number_unsigned()
                                 ? value->get<std::uint64_t>() <= static_cast<std::uint64_t>(max)
                                 : value->is_number_integer() &&
                                       value->get<std::int64_t>() >= min &&
                                       value->get<std::int64_t>() <= max;
        if (inRange)
            return value->get<std::int64_t>();
        fail(name(key), "expected an integer from " + std::to_string(min) + " to " +
                            std::to_string(max) + ", got " + shortDump(*value));
        return fallback;
    }

    std::string text(const char* key, std::string fallback, std::size_t maxLength, bool required) {
        const Json* value = field(key, required);
        if (!value)
            return fallback;
        if (!value->is_string()) {
            fail(name(key), "expected a string, got " + shortDump(*value));
            return fallback;
        }
        std::string result = value->get<std::string>();
        if (result.size() > maxLength) {
            fail(name(key), "longer than " + std::to_string(maxLength) + " bytes");
            return fallback;
        }
        if (result.find('\0') != std::string::npos) {
            fail(name(key), "contains a zero byte");
            return fallback;
        }
        return result;
    }

    std::string name(const char* key) const { return m_where.empty() ? key : m_where + "." + key; }

    void fail(const std::string& where, const std::string& problem) {
        if (m_error.empty())
            m_error = (where.empty() ? problem : where + ": " + problem);
    }

private:
    const Json* field(const char* key, bool required) {
        const auto found = m_object.find(key);
        if (found != m_object.end())
            return &*found;
        if (required)
            fail(m_where, "missing \"" + std::string(key) + "\"");
        return nullptr;
    }

    const Json& m_object;
    std::string m_where;
    std::string& m_error;
};

PathLoss readPathLoss(const Json& object, std::string& error) {
    if (!object.is_object()) {
        error = "pathLoss: expected an object";
        return {};
    }
    ObjectReader reader(object, "pathLoss", error);
    reader.allowOnly({"referenceDbm", "exponent", "pixelsPerMetre", "noiseDb", "thresholdDbm"});
    PathLoss loss;
    loss.referenceDbm = reader.number("referenceDbm", loss.referenceDbm, -120, 0, false);
    loss.exponent = reader.number("exponent", loss.exponent, 1, 10, false);
    loss.pixelsPerMetre = reader.number("pixelsPerMetre", loss.pixelsPerMetre, 0.01, 10000, false);
    loss.noiseDb = reader.number("noiseDb", loss.noiseDb, 0, 30, false);
    loss.thresholdDbm = reader.number("thresholdDbm", loss.thresholdDbm, -100, -20, false);
    return loss;
}

AccessPoint readAccessPoint(const Json& object, const std::string& where, std::string& error) {
    if (!object.is_object()) {
        if (error.empty())
            error = where + ": expected an object";
        return {};
    }
    ObjectReader reader(object, where, error);
    reader.allowOnly({"mac", "ssid", "channel", "x", "y", "txPowerDbm"});
    AccessPoint ap;
    const std::string macText = reader.text("mac", "", 64, true);
    if (const auto mac = parseMac(macText))
        ap.mac = *mac;
    else if (object.contains("mac"))
        reader.fail(reader.name("mac"),
                    "expected six hex pairs like \"00:11:22:33:44:55\", got \"" + macText + "\"");
    ap.ssid = reader.text("ssid", "", MaxSsidLength, true);
    ap.channel = static_cast<int>(reader.integer("channel", 1, FirstChannel, LastChannel, true));
    constexpr double Far = 1e6;
    ap.x = reader.number("x", 0, -Far, Far, true);
    ap.y = reader.number("y", 0, -Far, Far, true);
    ap.txPowerDbm = reader.number("txPowerDbm", 0, -40, 40, false);
    return ap;
}

std::vector<AccessPoint> readAccessPoints(const Json& array, std::string& error) {
    std::vector<AccessPoint> aps;
    if (!array.is_array()) {
        error = "accessPoints: expected an array";
        return aps;
    }
    std::map<MacAddress, std::string> seen;
    for (std::size_t i = 0; i < array.size(); ++i) {
        const std::string where = "accessPoints[" + std::to_string(i) + "]";
        AccessPoint ap = readAccessPoint(array[i], where, error);
        if (!error.empty())
            return aps;
        const auto [earlier, fresh] = seen.emplace(ap.mac, where);
        if (!fresh) {
            error = where + ".mac: " + array[i]["mac"].get<std::string>() + " is already used by " +
                    earlier->second;
            return aps;
        }
        aps.push_back(std::move(ap));
    }
    return aps;
}

// nlohmann's messages start with "[json.exception.parse_error.101] ".
std::string syntaxError(const Json::parse_error& failure) {
    const std::string text = failure.what();
    const std::size_t end = text.find("] ");
    return end == std::string::npos ? text : text.substr(end + 2);
}

} // namespace

ScenarioResult parseScenario(std::string_view json) {
    ScenarioResult result;
    Json root;
    try {
        root = Json::parse(json.begin(), json.end());
    } catch (const Json::parse_error& failure) {
        result.error = syntaxError(failure);
        return result;
    }
    if (!root.is_object()) {
        result.error = "expected a JSON object at the top level";
        return result;
    }
    ObjectReader reader(root, "", result.error);
    reader.allowOnly({"seed", "firmware", "serial", "pathLoss", "accessPoints"});
    Scenario& scenario = result.scenario;
    scenario.seed = static_cast<std::uint32_t>(reader.integer("seed", 1, 0, UINT32_MAX, false));
    scenario.firmware = reader.text("firmware", scenario.firmware, MaxBoardText, false);
    scenario.serial = reader.text("serial", scenario.serial, MaxBoardText, false);
    if (!result.error.empty())
        return result;
    if (root.contains("pathLoss"))
        scenario.pathLoss = readPathLoss(root["pathLoss"], result.error);
    if (!result.error.empty())
        return result;
    if (!root.contains("accessPoints"))
        result.error = "missing \"accessPoints\"";
    else
        scenario.accessPoints = readAccessPoints(root["accessPoints"], result.error);
    return result;
}

ScenarioResult loadScenario(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::error_code ignored;
    if (!in || std::filesystem::is_directory(path, ignored)) {
        ScenarioResult failed;
        failed.error = path + ": cannot read: " + std::strerror(in ? EISDIR : errno);
        return failed;
    }
    std::ostringstream text;
    text << in.rdbuf();
    ScenarioResult result = parseScenario(text.str());
    if (!result.error.empty())
        result.error = path + ": " + result.error;
    return result;
}

} // namespace marlow::sim
