// tws: the site-file tool. Makes a new site from a floor-plan picture and
// shows what a site file holds, as a summary, JSON, CSV, a picture of its
// signature or a coverage map over its floor plan. This file reads the command line; Commands.cpp
// does the work.
#include "Commands.h"
#include "CoverageArgs.h"

#include <algorithm>
#include <array>
#include <iostream>
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
    "  tws --help                    this text\n"
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

// A command that reads its own arguments, however many.
constexpr std::size_t AnyCount = static_cast<std::size_t>(-1);

struct Command {
    std::string_view name;
    std::size_t argumentCount; // or AnyCount
    std::string_view synopsis;
    int (*run)(const Args&);
};

constexpr std::array<Command, 6> Commands = {{
    {"create", 2, "create PLAN.png OUT.tws",
     [](const Args& a) { return createCommand(a[0], a[1]); }},
    {"info", 1, "info FILE", [](const Args& a) { return infoCommand(a[0]); }},
    {"dump", 1, "dump FILE", [](const Args& a) { return dumpCommand(a[0]); }},
    {"export", 2, "export FILE --csv", runExport},
    {"signature", 2, "signature FILE OUT.png",
     [](const Args& a) { return signatureCommand(a[0], a[1]); }},
    {"heatmap", AnyCount, "heatmap FILE OUT.png [OPTIONS]", heatmapCommand},
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
    if (command->argumentCount != AnyCount && args.size() != command->argumentCount)
        return usageError("wrong number of arguments; usage: tws " +
                          std::string(command->synopsis));
    return command->run(args);
}
