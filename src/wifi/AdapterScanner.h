// Sweeps with the computer's own Wi-Fi adapter through nl80211. How a sweep
// gets fresh results depends on what the program may do (ScanMode): ask the
// kernel for a scan itself, have NetworkManager ask, or wait for the
// system's own scans. Each sweep ends within the time limit with what the
// kernel holds, and says in its notes when that is less than a fresh scan.
#pragma once

#include "base/Result.h"
#include "wifi/Adapter.h"
#include "wifi/NetlinkTransport.h"
#include "wifi/Nl80211.h"
#include "wifi/Rescanner.h"
#include "wifi/Sweep.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace marlow::wifi {

struct ScannerConfig {
    // The interface to scan with; empty: the first that is up.
    std::string interface {};
    // How long one sweep may take, from its start.
    std::chrono::milliseconds timeLimit{15000};
    // Asks NetworkManager for scans when we may not; may be null. Must
    // outlive the scanner.
    Rescanner* rescanner = nullptr;
    std::string sysfsRoot = "/sys";
    // Whether we hold CAP_NET_ADMIN; unset: read from /proc/self/status.
    std::optional<bool> mayTrigger{};
    // The pause before asking again while another scan keeps the adapter
    // busy, and how often the results are read again while waiting for the
    // system's own scans.
    std::chrono::milliseconds busyRetryPause{200};
    std::chrono::milliseconds passivePoll{1000};
};

class AdapterScanner final : public SweepSource {
public:
    const Adapter& adapter() const { return m_adapter; }
    // Decided when opened; falls back for good from Trigger when the kernel
    // refuses us a scan. Read it from the thread that sweeps.
    ScanMode mode() const { return m_mode; }
    // One line for start-up: the adapter and how it gets its scans.
    std::string modeDescription() const;

    // Someone to ask for scans from now on when the kernel refuses us:
    // NetworkManager, connected once the adapter was chosen. Before the
    // first sweep, from the thread that sweeps.
    void useRescanner(Rescanner& rescanner);

    Sweep sweep() override;
    void interrupt() override;

private:
    friend Result<std::unique_ptr<AdapterScanner>>
    openAdapterScanner(ScannerConfig config, std::unique_ptr<NetlinkTransport> transport);

    // When a sweep began, when its waits end, and when it must be done: the
    // waits leave the last tenth of the time for reading the results.
    struct Times {
        std::chrono::steady_clock::time_point start;
        Deadline waitUntil;
        Deadline deadline;
    };
    // Whether the results follow a scan the sweep asked for; when not, those
    // last heard before the sweep began are marked stale.
    enum class Freshness { OwnScan, Held };

    AdapterScanner(std::unique_ptr<NetlinkTransport> transport, Nl80211 client, Adapter adapter,
                   ScanMode mode, ScannerConfig config);

    void triggerScans(const Times& times, Sweep& sweep);
    void askNetworkManager(const Times& times, Sweep& sweep);
    void waitForSystemScans(const Times& times, Sweep& sweep);
    // Reads what the kernel holds into the sweep; false when it could not.
    bool readResults(const Times& times, Sweep& sweep, Freshness freshness);
    void endAfter(const Error& error, const Times& times, Sweep& sweep);
    void loseAdapter(Sweep& sweep);
    void fallBack(const Times& times, Sweep& sweep);
    // Waits before asking for a scan again; fails with ETIMEDOUT when the
    // pause would end past `until`, with EINTR when interrupted.
    Result<void> pause(Deadline until);

    std::unique_ptr<NetlinkTransport> m_transport;
    Nl80211 m_client;
    Adapter m_adapter;
    ScanMode m_mode;
    ScannerConfig m_config;
    bool m_gone = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_interrupted = false;
};

// Opens the kernel's netlink socket, finds the adapter and subscribes to
// its scan notifications (before any scan is asked for, so none is missed).
Result<std::unique_ptr<AdapterScanner>> openAdapterScanner(ScannerConfig config);
// The same over the given transport in place of the kernel's socket.
Result<std::unique_ptr<AdapterScanner>>
openAdapterScanner(ScannerConfig config, std::unique_ptr<NetlinkTransport> transport);

} // namespace marlow::wifi
