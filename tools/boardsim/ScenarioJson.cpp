// Reading, checking and writing scenario files. A field that breaks a rule
// ends the reading with an error that names it.
#include "ScenarioJson.h"

#include "JsonRead.h"

#include <cmath>
#include <cstdint>
#include <map>

namespace marlow::sim {
namespace {

using jsonread::Fields;
using jsonread::Invalid;
using jsonread::Json;
// Written with its keys in the order the format lists them.
using OrderedJson = nlohmann::ordered_json;
using board::AccessPoint;
using board::PathLoss;
using board::Scenario;

PathLoss readPathLoss(const Json& object) {
    const Fields fields(object, "pathLoss",
                        {"referenceDbm", "exponent", "pixelsPerMetre", "noiseDb", "thresholdDbm"});
    PathLoss loss;
    loss.referenceDbm = fields.number("referenceDbm", loss.referenceDbm, -120, 0);
    loss.exponent = fields.number("exponent", loss.exponent, 1, 10);
    loss.pixelsPerMetre = fields.number("pixelsPerMetre", loss.pixelsPerMetre, 0.01, 10000);
    loss.noiseDb = fields.number("noiseDb", loss.noiseDb, 0, 30);
    loss.thresholdDbm = fields.number("thresholdDbm", loss.thresholdDbm, -100, -20);
    return loss;
}

AccessPoint readAccessPoint(const Json& object, const std::string& where) {
    const Fields fields(object, where, {"mac", "ssid", "channel", "x", "y", "txPowerDbm"});
    AccessPoint ap;
    const std::string mac = fields.text("mac", 64);
    if (const auto parsed = jsonread::parseMac(mac))
        ap.mac = *parsed;
    else
        jsonread::invalid(fields.name("mac"),
                          "expected six hex pairs like \"00:11:22:33:44:55\", got \"" + mac + "\"");
    ap.ssid = fields.text("ssid", report::MaxSsid);
    ap.channel = fields.integer("channel", board::FirstChannel, board::LastChannel);
    constexpr double Far = 1e6;
    ap.x = fields.number("x", -Far, Far);
    ap.y = fields.number("y", -Far, Far);
    ap.txPowerDbm = fields.number("txPowerDbm", 0, -40, 40);
    return ap;
}

std::vector<AccessPoint> readAccessPoints(const Fields& root) {
    const Json& array = root.array("accessPoints");
    std::vector<AccessPoint> aps;
    std::map<MacAddress, std::string> seen;
    for (std::size_t i = 0; i < array.size(); ++i) {
        const std::string where = root.name("accessPoints", i);
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
    const Fields fields(root, "", {"seed", "firmware", "serial", "pathLoss", "accessPoints"});
    Scenario scenario;
    scenario.seed = fields.integer<std::uint32_t>("seed", 1, 0, UINT32_MAX);
    scenario.firmware = fields.text("firmware", scenario.firmware, board::MaxBoardText);
    scenario.serial = fields.text("serial", scenario.serial, board::MaxBoardText);
    if (const Json* pathLoss = fields.optional("pathLoss"))
        scenario.pathLoss = readPathLoss(*pathLoss);
    scenario.accessPoints = readAccessPoints(fields);
    return scenario;
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
    return jsonread::parseWith(json, readScenario);
}

Result<Scenario> loadScenario(const std::string& path) {
    return jsonread::loadFile(path, parseScenario);
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
        root["accessPoints"].push_back(
            {{"mac", jsonread::hexText(ap.mac, ':', jsonread::HexCase::Upper)},
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
