// The wifiboard tool's command line, kept apart from main so that it can be
// tested.
#pragma once

#include "base/Result.h"
#include "wifi/Channels.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marlow::wifiboard {

struct CommandLine {
    bool help = false;
    // Empty: the first wireless interface that is up.
    std::string interfaceName;
    wifi::Bands bands;
    // Serve this serial device instead of a pseudo-terminal.
    std::optional<std::string> serialDevice;
    // Append each sweep to this file as a JSON line.
    std::optional<std::string> recordPath;
    std::chrono::milliseconds sweepLimit{15000};
};

// The arguments after the program name.
Result<CommandLine> parseCommandLine(const std::vector<std::string>& args);

std::string_view usageText();

} // namespace marlow::wifiboard
