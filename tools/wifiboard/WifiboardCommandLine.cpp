// Options of the wifiboard tool.
#include "WifiboardCommandLine.h"

#include <charconv>

namespace marlow::wifiboard {
namespace {

constexpr std::string_view Usage =
    R"(Usage: wifiboard [--interface IFACE] [--bands LIST] [--serial DEVICE]
                 [--record FILE] [--sweep-limit SECONDS]

Plays the 802.11 analyzer board with this computer's own Wi-Fi adapter: each
scan the handheld asks for is one scan of the adapter, reported as the board
reports. Serves a pseudo-terminal and prints its path on the first line, or
serves a serial device at the board's line settings (38400 bit/s, 8N1), then
serves until interrupted or until standard input ends. Lines "at X Y" on
standard input tell it where the surveyor stands, in floor-plan pixels, for
the recording; each is acknowledged with "position X Y".

Options:
  --interface IFACE    the adapter's interface (default: the first that is up)
  --bands LIST         2.4 (the default), 5, or 2.4,5
  --serial DEVICE      serve this serial device instead of a pseudo-terminal
  --record FILE        append each sweep to FILE as one JSON line
                       (boardsim --replay FILE plays them back)
  --sweep-limit SECS   the longest one scan may take (default 15)
  --help               show this text

Asking the kernel for a scan needs CAP_NET_ADMIN; without it the tool asks
NetworkManager, or else waits for the system's own scans. It says which on
stderr as it starts. Exit status 2: a usage error, or no adapter to use.
)";

constexpr int MaxSweepSeconds = 600;

} // namespace

Result<CommandLine> parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--help") {
            line.help = true;
            continue;
        }
        if (option != "--interface" && option != "--bands" && option != "--serial" &&
            option != "--record" && option != "--sweep-limit")
            return fail(Error{"unknown option \"" + option + "\""});
        if (i + 1 == args.size())
            return fail(Error{option + " needs a value"});
        const std::string& value = args[++i];
        if (option == "--interface") {
            line.interfaceName = value;
        } else if (option == "--bands") {
            Result<wifi::Bands> bands = wifi::parseBands(value);
            if (!bands)
                return fail(Error{"--bands: " + bands.error().message});
            line.bands = *bands;
        } else if (option == "--serial") {
            line.serialDevice = value;
        } else if (option == "--record") {
            line.recordPath = value;
        } else {
            int seconds = 0;
            const auto [end, failed] =
                std::from_chars(value.data(), value.data() + value.size(), seconds);
            if (failed != std::errc() || end != value.data() + value.size() || seconds < 1 ||
                seconds > MaxSweepSeconds)
                return fail(Error{"--sweep-limit: expected whole seconds from 1 to " +
                                  std::to_string(MaxSweepSeconds) + ", got \"" + value + "\""});
            line.sweepLimit = std::chrono::seconds(seconds);
        }
    }
    return line;
}

std::string_view usageText() {
    return Usage;
}

} // namespace marlow::wifiboard
