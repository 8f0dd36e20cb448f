// tws: the site-file tool. Makes a new site from a floor-plan picture,
// shows what a site file holds, as a summary, JSON, CSV, a picture of its
// signature, a coverage map over its floor plan or a survey report, and
// joins the surveys of one site into one file. This file reads the command line; Commands.cpp does
// the work.
#include "Commands.h"
#include "CoverageArgs.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace marlow::tws;
using Args = std::vector<std::string>;

constexpr std::string_view Usage =
    "Usage: tws COMMAND ARGUMENTS\n"
    "Works on site files (.tws) of the survey recorder.\n"
    "\n"
    "  tws create PLAN.png OUT.tws   a new site with no points, the picture as floor plan\n"
    "  tws info FILE                 header fields, floor-plan size and survey counts\n"
    "  tws dump FILE                 the points and records the program loads, as JSON\n"
    "  tws export FILE --csv         one CSV row per loaded record\n"
    "  tws signature FILE OUT.png    the stored signature as a 200 x 100 picture\n";

constexpr std::string_view UsageEnd =
    "  tws report FILE OUT.pdf [--html OUT.html] [--requirement DBM] [--max-ssids N]\n"
    "                                a survey report: cover, maps, channels and tables;\n"
    "                                --html also writes it as one self-contained page,\n"
    "                                --requirement is the signal a point should have\n"
    "                                (-120 to 0 dBm, default -67), --max-ssids how many\n"
    "                                of the most heard SSIDs get a page (0 to 100, default 8)\n"
    "  tws merge A.tws B.tws ... -o OUT.tws\n"
    "                                the surveys of one site joined into one file\n"
    "  tws --help                    this text\n"
    "\n"
    "merge: the sites must have the same floor plan. OUT.tws gets the header,\n"
    "signature and save time of the first site and the points of all, in order,\n"
    "saved as the program saves a survey: each point as its site stores it, a\n"
    "point repeated byte for byte kept only where it first appears, and a site's\n"
    "first point, unless nothing was heard there, joined to the last point of the\n"
    "site before where both stand at one position, as one surveyor's save would\n"
    "join them. OUT.tws is written whole or not at all, and may be one of the\n"
    "inputs.\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be read or written,\n"
    "2 when the command line is wrong.\n";

// export takes FILE and --csv, in either order.
int runExport(const Args& args) {
    const auto option = std::find(args.begin(), args.end(), "--csv");
    if (option == args.end())
        return usageError("export needs a format: --csv");
    return csvExportCommand(args[option == args.begin() ? 1 : 0]);
}

constexpr std::string_view MergeSynopsis = "merge A.tws B.tws ... -o OUT.tws";

// merge takes two or more sites and one -o OUT.tws, anywhere among them.
int runMerge(const Args& args) {
    const auto option = std::find(args.begin(), args.end(), "-o");
    if (option == args.end() || option + 1 == args.end() ||
        std::find(option + 1, args.end(), "-o") != args.end())
        return usageError("merge needs one output: -o OUT.tws; usage: tws " +
                          std::string(MergeSynopsis));
    Args inputs(args.begin(), option);
    inputs.insert(inputs.end(), option + 2, args.end());
    if (inputs.size() < 2)
        return usageError("merge needs at least two sites; usage: tws " +
                          std::string(MergeSynopsis));
    return mergeCommand(inputs, *(option + 1));
}

// An integer in [low, high] that is the whole of text.
template <typename T> std::optional<T> numberIn(const std::string& text, T low, T high) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

// report takes FILE and OUT.pdf, then options each with a value.
int runReport(const Args& args) {
    ReportRequest request{args[0], args[1], {}, {}};
    for (std::size_t i = 2; i < args.size(); i += 2) {
        const std::string& option = args[i];
        if (i + 1 == args.size())
            return usageError("report: " + option + " needs a value");
        const std::string& value = args[i + 1];
        if (option == "--html") {
            request.htmlPath = value;
        } else if (option == "--requirement") {
            const auto dbm = numberIn(value, MinRequirementDbm, MaxRequirementDbm);
            if (!dbm)
                return usageError("report: --requirement takes dBm from " +
                                  std::to_string(MinRequirementDbm) + " to " +
                                  std::to_string(MaxRequirementDbm));
            request.options.requirementDbm = *dbm;
        } else if (option == "--max-ssids") {
            const auto count = numberIn(value, std::size_t{0}, MaxSsidPages);
            if (!count)
                return usageError("report: --max-ssids takes a number from 0 to " +
                                  std::to_string(MaxSsidPages));
            request.options.maxSsids = *count;
        } else {
            return usageError("report: unknown option '" + option + "'");
        }
    }
    return reportCommand(request);
}

struct Command {
    std::string_view name;
    std::size_t minArguments;
    std::size_t maxArguments;
    std::string_view synopsis;
    int (*run)(const Args&);
};

constexpr std::size_t Unbounded = SIZE_MAX;

constexpr std::array<Command, 8> Commands = {{
    {"create", 2, 2, "create PLAN.png OUT.tws",
     [](const Args& a) { return createCommand(a[0], a[1]); }},
    {"info", 1, 1, "info FILE", [](const Args& a) { return infoCommand(a[0]); }},
    {"dump", 1, 1, "dump FILE", [](const Args& a) { return dumpCommand(a[0]); }},
    {"export", 2, 2, "export FILE --csv", runExport},
    {"signature", 2, 2, "signature FILE OUT.png",
     [](const Args& a) { return signatureCommand(a[0], a[1]); }},
    {"report", 2, 8, "report FILE OUT.pdf [--html OUT.html] [--requirement DBM] [--max-ssids N]",
     runReport},
    {"heatmap", 0, Unbounded, "heatmap FILE OUT.png [OPTIONS]", heatmapCommand},
    {"merge", 0, Unbounded, MergeSynopsis, runMerge},
}};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usageError("no command given");
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h") {
        std::cout << Usage << HeatmapSynopsis << UsageEnd << HeatmapOptionsHelp
                  << CoverageOptionsHelp;
        return ExitOk;
    }
    const auto command = std::find_if(Commands.begin(), Commands.end(),
                                      [name](const Command& c) { return c.name == name; });
    if (command == Commands.end())
        return usageError("unknown command '" + std::string(name) + "'");
    const Args args(argv + 2, argv + argc);
    if (args.size() < command->minArguments || args.size() > command->maxArguments)
        return usageError("wrong number of arguments; usage: tws " +
                          std::string(command->synopsis));
    return command->run(args);
}
