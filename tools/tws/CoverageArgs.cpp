// The coverage options of the command line and their values.
#include "CoverageArgs.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace marlow::tws {

const std::string_view CoverageOptionsHelp =
    "  --metric signal      the strongest RSSI heard (the default)\n"
    "  --metric second      the second-strongest access point's RSSI\n"
    "  --metric aps         how many access points are heard at or above the threshold\n"
    "  --metric cochannel   how many others at or above -85 dBm share the strongest one's\n"
    "                       channel (on 2.4 GHz, channels up to 4 apart overlap)\n"
    "  --threshold DBM      what aps counts from (default -75)\n"
    "  --ssid NAME          only this network's access points (repeatable)\n"
    "  --mac MAC            only this access point: 12 hex digits, colons allowed\n"
    "  --channel N          only access points on this channel\n"
    "  --radius PIXELS      how far each point's measurement reaches (default 1.5 times\n"
    "                       the median distance from a point to its nearest neighbour;\n"
    "                       100 when fewer than two places were surveyed)\n"
    "A point where nothing, or no chosen access point, was heard measures no signal\n"
    "(-120 dBm, or 0 access points). Between points the map is weighted by inverse\n"
    "square distance; beyond the radius of every point there is no data.\n";

namespace {

using analysis::Metric;

constexpr std::array<std::pair<std::string_view, Metric>, 4> MetricNames = {{
    {"signal", Metric::Signal},
    {"second", Metric::Second},
    {"aps", Metric::Aps},
    {"cochannel", Metric::Cochannel},
}};

constexpr std::array<std::string_view, 6> CoverageOptionNames = {
    "--metric", "--threshold", "--radius", "--ssid", "--mac", "--channel"};

template <typename Number> bool readNumber(std::string_view text, Number& number) {
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, number);
    return error == std::errc() && at == end && !text.empty();
}

Failure<Error> badValue(std::string_view option, std::string_view value, std::string_view want) {
    return fail(Error{"bad value '" + std::string(value) + "' for " + std::string(option) + ": " +
                      std::string(want)});
}

// Applies one coverage option; false when the option is not one of them.
Result<bool> applyCoverageOption(std::string_view name, const std::string& value,
                                 analysis::CoverageOptions& options) {
    if (name == "--metric") {
        const auto known = std::find_if(MetricNames.begin(), MetricNames.end(),
                                        [&](const auto& entry) { return entry.first == value; });
        if (known == MetricNames.end())
            return badValue(name, value, "signal, second, aps or cochannel");
        options.metric = known->second;
    } else if (name == "--threshold") {
        if (!readNumber(value, options.threshold) || options.threshold < -127 ||
            options.threshold > 127)
            return badValue(name, value, "a whole number of dBm, such as -75");
    } else if (name == "--radius") {
        double radius = 0;
        if (!readNumber(value, radius) || !std::isfinite(radius) || radius <= 0)
            return badValue(name, value, "a number of pixels above 0");
        options.radius = radius;
    } else if (name == "--ssid") {
        options.filter.ssids.push_back(value);
    } else if (name == "--mac") {
        options.filter.mac = analysis::parseMac(value);
        if (!options.filter.mac)
            return badValue(name, value, "12 hexadecimal digits, colons allowed");
    } else if (name == "--channel") {
        int channel = 0;
        if (!readNumber(value, channel) || channel < 1)
            return badValue(name, value, "a channel number from 1");
        options.filter.channel = channel;
    } else {
        return false;
    }
    return true;
}

} // namespace

Result<CoverageArgs> parseCoverageArgs(const std::vector<std::string>& args,
                                       std::span<const std::string_view> ownOptions) {
    CoverageArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--") {
            parsed.operands.insert(parsed.operands.end(), args.begin() + std::ptrdiff_t(i) + 1,
                                   args.end());
            break;
        }
        if (word.size() < 3 || !word.starts_with("--")) {
            parsed.operands.push_back(word);
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        if (std::find(CoverageOptionNames.begin(), CoverageOptionNames.end(), name) ==
                CoverageOptionNames.end() &&
            std::find(ownOptions.begin(), ownOptions.end(), name) == ownOptions.end())
            return fail(Error{"unknown option '" + name + "'"});
        std::string value;
        if (equals != std::string::npos)
            value = word.substr(equals + 1);
        else if (i + 1 < args.size())
            value = args[++i];
        else
            return fail(Error{name + " needs a value"});
        const Result<bool> applied = applyCoverageOption(name, value, parsed.coverage);
        if (!applied)
            return fail(applied.error());
        if (!*applied)
            parsed.own[name] = value;
    }
    return parsed;
}

} // namespace marlow::tws
