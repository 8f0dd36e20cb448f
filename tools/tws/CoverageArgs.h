// Reading the command line of a command that maps coverage: the options
// that choose the map, shared by every such command, the command's own
// options and the other words.
#pragma once

#include "analysis/Coverage.h"
#include "base/Result.h"

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace marlow::tws {

struct CoverageArgs {
    analysis::CoverageOptions coverage;
    // The command's own options that were given, each with its last value.
    std::map<std::string, std::string, std::less<>> own;
    // The words that are not options, in order.
    std::vector<std::string> operands;
};

// What the coverage options accept, for a usage text.
extern const std::string_view CoverageOptionsHelp;

// Reads --metric signal|second|aps|cochannel, --threshold DBM, --radius
// PIXELS, --ssid NAME (repeatable), --mac MAC, --channel N and the options
// named in ownOptions, each followed by its value ("--name value" or
// "--name=value"); "--" makes every later word an operand. Fails with the
// problem on an unknown option or a missing or unreadable value.
Result<CoverageArgs> parseCoverageArgs(const std::vector<std::string>& args,
                                       std::span<const std::string_view> ownOptions);

} // namespace marlow::tws
