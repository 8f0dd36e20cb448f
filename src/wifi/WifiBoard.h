// The analyzer board played with the computer's own Wi-Fi adapter: the board
// library served over the adapter's sweeps. Opening finds the adapter and
// decides how its sweeps get fresh results: asking the kernel for a scan
// when the program holds CAP_NET_ADMIN, else asking NetworkManager where it
// runs and knows the adapter, else waiting for the system's own scans.
// Not yet serving: start the server on a pseudo-terminal or a serial device.
#pragma once

#include "base/Result.h"
#include "board/BoardServer.h"
#include "wifi/AdapterScanner.h"
#include "wifi/Channels.h"
#include "wifi/NetlinkTransport.h"
#include "wifi/Rescanner.h"
#include "wifi/WifiRadio.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace marlow::wifi {

struct WifiBoardOptions {
    // Empty: the first wireless interface that is up.
    std::string interfaceName;
    Bands bands;
    std::chrono::milliseconds sweepLimit{15000};
    board::ServerConfig line;
    // Told of each sweep, on the serving thread.
    WifiRadio::SweepObserver onSweep;

    // Where the kernel, the adapters' sysfs entries, the permission to scan
    // and NetworkManager are found; tests put their own in place.
    std::function<Result<std::unique_ptr<NetlinkTransport>>()> openTransport = openNetlinkSocket;
    std::string sysfsRoot = "/sys";
    // Unset: whether this process holds CAP_NET_ADMIN.
    std::optional<bool> mayTrigger;
    // Empty: the system bus.
    std::string networkManagerBus;
};

class WifiBoard {
public:
    static Result<std::unique_ptr<WifiBoard>> open(WifiBoardOptions options);
    ~WifiBoard();
    WifiBoard(const WifiBoard&) = delete;
    WifiBoard& operator=(const WifiBoard&) = delete;

    const Adapter& adapter() const { return m_scanner->adapter(); }
    // One line for start-up: the adapter and how its sweeps get results.
    std::string modeDescription() const { return m_modeDescription; }
    // How sweeps get their results as the board starts; a sweep may fall
    // back from asking the kernel when the kernel refuses.
    ScanMode startMode() const { return m_startMode; }
    board::BoardServer& server() { return *m_server; }

private:
    WifiBoard(std::unique_ptr<Rescanner> rescanner, std::unique_ptr<AdapterScanner> scanner,
              const WifiBoardOptions& options);

    // The server stops, and with it the sweeps, before the scanner and
    // NetworkManager's connection go.
    std::unique_ptr<Rescanner> m_rescanner;
    std::unique_ptr<AdapterScanner> m_scanner;
    std::string m_modeDescription;
    ScanMode m_startMode;
    std::unique_ptr<board::BoardServer> m_server;
};

// The board's texts for an adapter, each within the 31 characters the
// handheld keeps: the driver as the firmware text ("Wi-Fi" when sysfs names
// none) and the interface as the serial number.
board::BoardConfig boardTextsFor(const Adapter& adapter);

} // namespace marlow::wifi
