// The rules of a sweep; see AdapterScanner.h.
#include "wifi/AdapterScanner.h"

#include "wifi/Capabilities.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace marlow::wifi {
namespace {

using namespace std::chrono;

const std::string HeldResults = "; these are the results the kernel held";

} // namespace

AdapterScanner::AdapterScanner(std::unique_ptr<NetlinkTransport> transport, Nl80211 client,
                               Adapter adapter, ScanMode mode, ScannerConfig config)
    : m_transport(std::move(transport)), m_client(std::move(client)), m_adapter(std::move(adapter)),
      m_mode(mode), m_config(std::move(config)) {}

std::string AdapterScanner::modeDescription() const {
    std::string line = "scanning with " + m_adapter.name;
    if (!m_adapter.driver.empty())
        line += " (" + m_adapter.driver + ")";
    switch (m_mode) {
    case ScanMode::Trigger:
        return line + ": the program asks for each scan";
    case ScanMode::NetworkManager:
        return line + ": NetworkManager asks for each scan";
    case ScanMode::Passive:
        break;
    }
    return line + ": no permission to ask for scans; using the system's own scans "
                  "(see README: setcap cap_net_admin)";
}

Sweep AdapterScanner::sweep() {
    Sweep sweep;
    if (m_gone) {
        sweep.adapterGone = true;
        return sweep;
    }
    {
        const std::lock_guard lock(m_mutex);
        if (m_interrupted)
            return sweep;
    }
    const steady_clock::time_point start = steady_clock::now();
    const Times times{start, start + m_config.timeLimit - m_config.timeLimit / 10,
                      start + m_config.timeLimit};
    // Whatever was announced before the sweep began is not its scan.
    m_client.catchUp();
    switch (m_mode) {
    case ScanMode::Trigger:
        triggerScans(times, sweep);
        break;
    case ScanMode::NetworkManager:
        askNetworkManager(times, sweep);
        break;
    case ScanMode::Passive:
        waitForSystemScans(times, sweep);
        break;
    }
    return sweep;
}

void AdapterScanner::interrupt() {
    {
        const std::lock_guard lock(m_mutex);
        m_interrupted = true;
    }
    m_wake.notify_all();
    m_transport->interrupt();
}

void AdapterScanner::triggerScans(const Times& times, Sweep& sweep) {
    bool abortedBefore = false;
    while (true) {
        const Result<void> triggered = m_client.triggerScan(times.waitUntil);
        if (!triggered) {
            const int error = triggered.error().systemError;
            if (error == EPERM || error == EACCES)
                return fallBack(times, sweep);
            if (error != EBUSY)
                return endAfter(triggered.error(), times, sweep);
            // Someone else's scan is running; ours can follow it.
            if (const Result<void> paused = pause(times.waitUntil); !paused)
                return endAfter(paused.error(), times, sweep);
            continue;
        }
        const Result<ScanEvent> event = m_client.nextScanEvent(times.waitUntil);
        if (!event)
            return endAfter(event.error(), times, sweep);
        if (*event == ScanEvent::Removed)
            return loseAdapter(sweep);
        if (*event == ScanEvent::Results) {
            readResults(times, sweep, Freshness::OwnScan);
            return;
        }
        // Aborted: often by a connection attempt or another program; one
        // more try usually gets through.
        if (abortedBefore) {
            sweep.notes.push_back("the scan was aborted twice" + HeldResults);
            readResults(times, sweep, Freshness::Held);
            return;
        }
        abortedBefore = true;
    }
}

void AdapterScanner::askNetworkManager(const Times& times, Sweep& sweep) {
    if (const Result<void> asked = m_config.rescanner->requestRescan(); !asked) {
        sweep.notes.push_back("NetworkManager did not scan (" + asked.error().message +
                              "); using the system's own scans");
        return waitForSystemScans(times, sweep);
    }
    const Result<ScanEvent> event = m_client.nextScanEvent(times.waitUntil);
    if (!event)
        return endAfter(event.error(), times, sweep);
    if (*event == ScanEvent::Removed)
        return loseAdapter(sweep);
    if (*event == ScanEvent::Aborted)
        sweep.notes.push_back("the scan was aborted" + HeldResults);
    readResults(times, sweep, *event == ScanEvent::Results ? Freshness::OwnScan : Freshness::Held);
}

void AdapterScanner::waitForSystemScans(const Times& times, Sweep& sweep) {
    while (true) {
        const steady_clock::time_point asked = steady_clock::now();
        if (!readResults(times, sweep, Freshness::Held))
            return;
        if (std::any_of(sweep.heard.begin(), sweep.heard.end(),
                        [](const ScannedBss& bss) { return !bss.stale; }))
            return;
        if (asked >= times.waitUntil) {
            sweep.notes.push_back("no scan refreshed the results within the time limit; all are "
                                  "older than the sweep");
            return;
        }
        // A notification says when results arrive; reading them again now
        // and then covers one that was lost.
        const Result<ScanEvent> event =
            m_client.nextScanEvent(std::min(asked + m_config.passivePoll, times.waitUntil));
        if (event && *event == ScanEvent::Removed)
            return loseAdapter(sweep);
        if (!event && event.error().systemError != ETIMEDOUT) {
            if (event.error().systemError != EINTR)
                sweep.notes.push_back(event.error().message);
            return;
        }
    }
}

bool AdapterScanner::readResults(const Times& times, Sweep& sweep, Freshness freshness) {
    const steady_clock::time_point asked = steady_clock::now();
    Result<ScanDump> dump = m_client.dumpScan(times.deadline);
    if (!dump) {
        if (dump.error().systemError == ENODEV)
            loseAdapter(sweep);
        else if (dump.error().systemError != EINTR)
            sweep.notes.push_back(dump.error().message);
        return false;
    }
    sweep.heard = std::move(dump->heard);
    sweep.dropped = dump->dropped;
    if (freshness == Freshness::Held) {
        const auto sinceStart = duration_cast<milliseconds>(asked - times.start).count();
        // Heard at or after the sweep began (to the millisecond) is fresh.
        for (ScannedBss& bss : sweep.heard)
            bss.stale = bss.ageMs > sinceStart;
    }
    return true;
}

void AdapterScanner::endAfter(const Error& error, const Times& times, Sweep& sweep) {
    switch (error.systemError) {
    case EINTR:
        return;
    case ENODEV:
        return loseAdapter(sweep);
    case ETIMEDOUT:
        sweep.notes.push_back("no scan ended within the time limit" + HeldResults);
        break;
    default:
        sweep.notes.push_back(error.message + HeldResults);
        break;
    }
    readResults(times, sweep, Freshness::Held);
}

void AdapterScanner::useRescanner(Rescanner& rescanner) {
    m_config.rescanner = &rescanner;
    if (m_mode == ScanMode::Passive)
        m_mode = ScanMode::NetworkManager;
}

void AdapterScanner::loseAdapter(Sweep& sweep) {
    m_gone = true;
    sweep.adapterGone = true;
    sweep.notes.push_back("the Wi-Fi adapter " + m_adapter.name + " is gone");
}

void AdapterScanner::fallBack(const Times& times, Sweep& sweep) {
    if (m_config.rescanner) {
        m_mode = ScanMode::NetworkManager;
        sweep.notes.push_back("no permission to ask for scans; NetworkManager asks from now on");
        return askNetworkManager(times, sweep);
    }
    m_mode = ScanMode::Passive;
    sweep.notes.push_back("no permission to ask for scans; using the system's own scans from now "
                          "on (see README: setcap cap_net_admin)");
    waitForSystemScans(times, sweep);
}

Result<void> AdapterScanner::pause(Deadline until) {
    const Deadline resume = steady_clock::now() + m_config.busyRetryPause;
    if (resume > until)
        return fail(Error::fromErrno("another scan kept the adapter busy", ETIMEDOUT));
    std::unique_lock lock(m_mutex);
    if (m_wake.wait_until(lock, resume, [this] { return m_interrupted; }))
        return fail(Error::fromErrno("", EINTR));
    return {};
}

Result<std::unique_ptr<AdapterScanner>> openAdapterScanner(ScannerConfig config) {
    Result<std::unique_ptr<NetlinkTransport>> socket = openNetlinkSocket();
    if (!socket)
        return fail(socket.error());
    return openAdapterScanner(std::move(config), std::move(*socket));
}

Result<std::unique_ptr<AdapterScanner>>
openAdapterScanner(ScannerConfig config, std::unique_ptr<NetlinkTransport> transport) {
    const Deadline until = steady_clock::now() + config.timeLimit;
    Result<Nl80211> client = Nl80211::open(*transport, until);
    if (!client)
        return fail(client.error());
    Result<std::vector<WifiInterface>> interfaces = client->interfaces(until);
    if (!interfaces)
        return fail(interfaces.error());
    Result<Adapter> adapter = pickAdapter(*interfaces, config.interface, config.sysfsRoot);
    if (!adapter)
        return fail(adapter.error());
    if (const Result<void> watching = client->watch(adapter->index); !watching)
        return fail(watching.error());
    const bool mayTrigger = config.mayTrigger ? *config.mayTrigger : holdsNetAdmin();
    const ScanMode mode = mayTrigger         ? ScanMode::Trigger
                          : config.rescanner ? ScanMode::NetworkManager
                                             : ScanMode::Passive;
    return std::unique_ptr<AdapterScanner>(new AdapterScanner(
        std::move(transport), std::move(*client), std::move(*adapter), mode, std::move(config)));
}

} // namespace marlow::wifi
