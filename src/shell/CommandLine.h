// The program's command line:
//   marlow [--port DEVICE | --demo | --wifi [IFACE] [--bands LIST]] [SITE.tws]
// plus --help and --version. It is read before the application starts, so
// that --help and --version answer without a display.
#pragma once

#include "base/Result.h"
#include "wifi/Channels.h"

#include <QStringList>
#include <string>

namespace marlow {

struct StartOptions {
    // The analyzer board's device; empty: found through the driver registry.
    std::string port;
    // Runs the simulated board of the sample office and opens that site.
    bool demo = false;
    // Plays the board with the computer's own Wi-Fi adapter.
    bool wifi = false;
    // The adapter's interface; empty: the first that is up.
    std::string wifiInterface;
    // The bands the adapter reports: "2.4" unless --bands says otherwise.
    wifi::Bands bands;
    // A site file to open once the window is shown; empty: none (with
    // --demo: the sample office).
    std::string sitePath;
    // Print how long the window took to appear, and the path of the site
    // given (or the demo's) as it is opened (MARLOW_STARTUP_REPORT set).
    bool reportStartup = false;
};

struct CommandLine {
    StartOptions options;
    // What to print before ending at once: the usage or the version.
    std::string answer;
};

// `arguments` starts with the program's name. Fails with the problem when
// the command line is wrong.
Result<CommandLine> parseCommandLine(const QStringList& arguments);

} // namespace marlow
