// boardcheck: the field check of an analyzer board. Opens the board's serial
// port the way the program does, runs the start-up handshake, prints the
// board's firmware and serial texts and, with --scan, the access points of
// one scan.
#include "BoardCheck.h"
#include "CheckReport.h"
#include "link/serial/SysfsRegistry.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

using namespace marlow::check;

constexpr std::string_view Usage =
    R"(Usage: boardcheck [--port DEVICE] [--scan] [--json] [--timeout SECONDS]

Checks that the analyzer board answers. Opens its serial port (found the way
the program finds it, unless --port names it), runs the start-up handshake
and prints the board's firmware version and serial number.

Options:
  --port DEVICE      the board's serial device, such as /dev/ttyUSB0 or the
                     pseudo-terminal that boardsim prints
  --scan             also take one scan and print the access points heard,
                     in scan-list order, with their average RSSI
  --json             print one line of JSON instead of text
  --timeout SECONDS  how long to wait for each answer (default: 5 for the
                     handshake, 30 for the scan)
  --help             show this text

Exit status: 0 when the board answered, 1 when the port cannot be opened or
the board did not answer in time, 2 on a usage error.
)";

// Long enough for any board; short enough to stay a duration in milliseconds.
constexpr double MostSeconds = 3600;

struct CommandLine {
    bool help = false;
    bool json = false;
    CheckOptions check;
};

marlow::Result<CommandLine> parseCommandLine(int argc, char** argv) {
    using marlow::Error;
    CommandLine line;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        const bool takesValue = option == "--port" || option == "--timeout";
        if (takesValue && i + 1 == argc)
            return marlow::fail(Error{std::string(option) + " needs a value"});
        if (option == "--help") {
            line.help = true;
        } else if (option == "--scan") {
            line.check.scan = true;
        } else if (option == "--json") {
            line.json = true;
        } else if (option == "--port") {
            line.check.device = argv[++i];
            if (line.check.device.empty())
                return marlow::fail(Error{"--port needs a device"});
        } else if (option == "--timeout") {
            const std::string_view text = argv[++i];
            double seconds = 0;
            const auto [end, failed] =
                std::from_chars(text.data(), text.data() + text.size(), seconds);
            if (failed != std::errc() || end != text.data() + text.size() || !(seconds > 0) ||
                seconds > MostSeconds) {
                return marlow::fail(
                    Error{"--timeout: expected a number of seconds above 0 and up to 3600, got \"" +
                          std::string(text) + "\""});
            }
            line.check.timeout =
                std::chrono::milliseconds(std::max<long long>(1, std::llround(seconds * 1000)));
        } else {
            return marlow::fail(Error{"unknown option \"" + std::string(option) + "\""});
        }
    }
    return line;
}

} // namespace

int main(int argc, char** argv) {
    const marlow::Result<CommandLine> parsed = parseCommandLine(argc, argv);
    if (!parsed) {
        std::fprintf(stderr, "boardcheck: %s\nTry \"boardcheck --help\".\n",
                     parsed.error().message.c_str());
        return 2;
    }
    const CommandLine& line = *parsed;
    if (line.help) {
        std::fwrite(Usage.data(), 1, Usage.size(), stdout);
        return 0;
    }

    const marlow::SysfsRegistry registry;
    const marlow::Result<BoardAnswers> answers = runBoardCheck(line.check, registry);
    if (!answers) {
        std::fprintf(stderr, "boardcheck: %s\n", answers.error().message.c_str());
        return 1;
    }
    const std::string report = line.json ? jsonReport(*answers) : plainReport(*answers);
    std::fwrite(report.data(), 1, report.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
