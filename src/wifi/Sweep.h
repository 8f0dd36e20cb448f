// What one sweep of a Wi-Fi adapter heard: the basic service sets the
// kernel reported, as it reported them. Turning them into what the board
// reports (channels, RSSI, the element area) happens elsewhere, so that a
// recorded sweep plays back through the same path as a live one.
#pragma once

#include "protocol/BeaconBuilder.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace marlow::wifi {

// How a sweep gets fresh results from the adapter.
enum class ScanMode {
    // We ask the kernel for a scan ourselves (needs CAP_NET_ADMIN).
    Trigger,
    // NetworkManager asks for it on our behalf, over D-Bus.
    NetworkManager,
    // Nobody asks: we wait for the system's own scans to refresh the results.
    Passive,
};

// One BSS from the kernel's scan results.
struct ScannedBss {
    MacAddress bssid{};
    std::uint32_t frequencyMhz = 0;
    // Hundredths of a dBm, as nl80211 gives it.
    std::int32_t signalMbm = 0;
    // The information elements as received (beacon or probe response).
    std::vector<std::uint8_t> elements;
    // How long before the dump the kernel last heard it.
    std::uint32_t ageMs = 0;
    // Last heard before the sweep began: an older result that the sweep did
    // not refresh (only when no scan could be asked for).
    bool stale = false;
};

struct Sweep {
    std::vector<ScannedBss> heard;
    // BSSs the kernel held beyond MaxBssPerSweep, left out.
    std::size_t dropped = 0;
    // What the surveyor should know about this sweep ("the scan was aborted",
    // "the adapter is gone"), one sentence each.
    std::vector<std::string> notes;
    // The adapter went away during the sweep; later sweeps hear nothing.
    bool adapterGone = false;
};

// More than any real site holds within reach; keeps a sweep's memory
// bounded whatever the kernel returns.
constexpr std::size_t MaxBssPerSweep = 1024;

// Sweeps the air once per call.
class SweepSource {
public:
    virtual ~SweepSource() = default;
    // Blocks until the sweep ends: at most the source's time limit, or sooner
    // when interrupted. Always returns what was heard, possibly nothing.
    virtual Sweep sweep() = 0;
    // Ends a sweep in progress as soon as possible; may be called from any
    // thread, and also before or after a sweep.
    virtual void interrupt() = 0;
};

} // namespace marlow::wifi
