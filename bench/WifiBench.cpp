// Speed and memory of the Wi-Fi radio source. The target: a scan-results
// dump of 500 BSSs turned into the board's messages in under 5 ms. The dump
// is built once with libnl as the kernel sends it: each BSS with about 300
// bytes of elements (SSID, rates, DS, TIM, country, RSN, HT and VHT
// capabilities and operation, vendor elements), given twice as the kernel
// does (the last frame's and the beacon's), over 2.4 and 5 GHz, several
// entries a datagram up to 32 KB. A board sweep of both bands then runs
// against it: the adapter's sweep over a replayed kernel (the trigger, its
// acknowledgement, the results notification, the dump parsed), WifiRadio
// sorting the BSSs into channels, and every channel's messages and the
// closing ScanComplete written into a Transmission. Queueing the datagrams
// for each sweep is left out of the timing. The baseline, in the same run:
// the simulator's board sweep of 500 access points through PathLossRadio
// (each heard one to three times, so about twice the reports, with only the
// SSID, rates and DS elements) into a Transmission: the same board output
// without the kernel side. A closing summary times the two back to back in
// alternating order and prints their ratio. Last, the memory a sweep holds
// for dumps of 1,024 and 20,000 BSSs: the BSSs kept (MaxBssPerSweep), those
// dropped, and the bytes of the Sweep, which must not grow past the cap.
#include "FakeKernel.h"
#include "ReplayTransport.h"
#include "TempDir.h"
#include "board/Board.h"
#include "board/PathLossRadio.h"
#include "board/Transmission.h"
#include "protocol/FrameCodec.h"
#include "protocol/FrameParser.h"
#include "protocol/Protocol.h"
#include "wifi/AdapterScanner.h"
#include "wifi/WifiRadio.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <linux/netlink.h>
#include <linux/nl80211.h>
#include <memory>
#include <netlink/attr.h>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace marlow;
using namespace marlow::wifi;
using wifi::test::Bytes;

constexpr int TargetBss = 500;
constexpr double TargetMs = 5.0;
constexpr std::int64_t CappedDump = MaxBssPerSweep;
constexpr std::int64_t HugeDump = 20000;
constexpr std::size_t MostDatagramBytes = 32 * 1024;
constexpr std::uint32_t Wlan0 = 3;
constexpr int SummaryRounds = 41;

// The 5 GHz channels access points use; 2.4 GHz ones are 1 to 13.
constexpr std::array<std::uint8_t, 24> Channels5{36,  40,  44,  48,  52,  56,  60,  64,
                                                 100, 104, 108, 112, 116, 120, 124, 128,
                                                 132, 136, 140, 149, 153, 157, 161, 165};

// --- The kernel's dump -----------------------------------------------------

void appendElement(Bytes& area, std::uint8_t id, const Bytes& data) {
    area.push_back(id);
    area.push_back(static_cast<std::uint8_t>(data.size()));
    area.insert(area.end(), data.begin(), data.end());
}

// A vendor element: the maker's OUI, its type, and `length` bytes of
// contents.
void appendVendor(Bytes& area, std::array<std::uint8_t, 3> oui, std::uint8_t type,
                  std::size_t length, std::uint8_t fill) {
    Bytes data(oui.begin(), oui.end());
    data.push_back(type);
    for (std::size_t i = 0; i < length; ++i)
        data.push_back(static_cast<std::uint8_t>(fill + i));
    appendElement(area, 221, data);
}

// Two in five BSSs on 2.4 GHz, the others on 5 GHz.
std::uint8_t channelOfBss(int index) {
    if (index % 5 < 2)
        return static_cast<std::uint8_t>(1 + index % 13);
    return Channels5[static_cast<std::size_t>(index) % Channels5.size()];
}

// The elements of a probe response from an access point of today: about
// 300 bytes. A 5 GHz one has no DS parameter set, ERP or extended rates, and
// adds VHT capabilities and operation and more country triplets.
Bytes elementsOf(int index, std::uint8_t channel) {
    const bool ghz5 = channel > 14;
    const auto seed = static_cast<std::uint8_t>(index);
    const std::string ssid = "fieldwalk-office-" + std::to_string(index);
    Bytes area;
    appendElement(area, 0, Bytes(ssid.begin(), ssid.end()));
    if (ghz5) {
        appendElement(area, 1, {0x8C, 0x12, 0x98, 0x24, 0xB0, 0x48, 0x60, 0x6C});
    } else {
        appendElement(area, 1, {0x82, 0x84, 0x8B, 0x96, 0x0C, 0x12, 0x18, 0x24});
        appendElement(area, 3, {channel});
    }
    appendElement(area, 5, {0x00, 0x01, 0x00, 0x00});
    if (ghz5)
        appendElement(area, 7, {'D', 'E', ' ', 36, 4, 23, 52, 4, 23, 100, 11, 30, 149, 5, 14});
    else
        appendElement(area, 7, {'D', 'E', ' ', 1, 13, 20});
    if (!ghz5) {
        appendElement(area, 42, {0x00});
        appendElement(area, 50, {0x30, 0x48, 0x60, 0x6C});
    }
    appendElement(area, 48, {0x01, 0x00, 0x00, 0x0F, 0xAC, 0x04, 0x01, 0x00, 0x00, 0x0F,
                             0xAC, 0x04, 0x01, 0x00, 0x00, 0x0F, 0xAC, 0x02, 0x0C, 0x00});
    Bytes htCapabilities(26, 0x00);
    htCapabilities[0] = 0xEF;
    htCapabilities[1] = 0x09;
    htCapabilities[2] = 0x1B;
    htCapabilities[3] = htCapabilities[4] = 0xFF;
    appendElement(area, 45, htCapabilities);
    Bytes htOperation(22, 0x00);
    htOperation[0] = channel;
    htOperation[1] = ghz5 ? 0x05 : 0x00;
    appendElement(area, 61, htOperation);
    appendElement(area, 127, {0x04, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x40});
    if (ghz5) {
        appendElement(area, 191,
                      {0xB2, 0x79, 0x91, 0x33, 0xFA, 0xFF, 0x0C, 0x03, 0xFA, 0xFF, 0x0C, 0x03});
        appendElement(area, 192, {0x01, static_cast<std::uint8_t>(channel + 6), 0x00, 0xFC, 0xFF});
    }
    appendElement(area, 70, {0x73, 0xD0, 0x00, 0x00, 0x0C});
    // WMM parameters, WPS, and two makers' own.
    appendElement(area, 221,
                  {0x00, 0x50, 0xF2, 0x02, 0x01, 0x01, 0x80, 0x00, 0x03, 0xA4, 0x00, 0x00,
                   0x27, 0xA4, 0x00, 0x00, 0x42, 0x43, 0x5E, 0x00, 0x62, 0x32, 0x2F, 0x00});
    appendVendor(area, {0x00, 0x50, 0xF2}, 0x04, 76, seed);
    appendVendor(area, {0x00, 0x10, 0x18}, 0x02, 5, 0x00);
    appendVendor(area, {0x00, 0x0B, 0x86}, 0x01, 16, seed);
    return area;
}

// One entry of the dump with the attributes the kernel gives a BSS.
Bytes kernelEntry(int index) {
    const std::uint8_t channel = channelOfBss(index);
    const std::uint32_t frequencyMhz = channel > 14 ? 5000U + 5U * channel : 2407U + 5U * channel;
    const Bytes elements = elementsOf(index, channel);
    const auto size = static_cast<int>(elements.size());
    const MacAddress bssid{0x02,
                           0x1A,
                           0x2B,
                           static_cast<std::uint8_t>(index >> 16),
                           static_cast<std::uint8_t>(index >> 8),
                           static_cast<std::uint8_t>(index)};
    const auto tsf = static_cast<std::uint64_t>(index) * 1'000'003U;
    return wifi::test::scanEntry([&](nl_msg* message, nlattr*) {
        nla_put(message, NL80211_BSS_BSSID, static_cast<int>(bssid.size()), bssid.data());
        nla_put_u64(message, NL80211_BSS_TSF, tsf);
        nla_put(message, NL80211_BSS_INFORMATION_ELEMENTS, size, elements.data());
        nla_put(message, NL80211_BSS_BEACON_IES, size, elements.data());
        nla_put_u64(message, NL80211_BSS_BEACON_TSF, tsf);
        nla_put_u16(message, NL80211_BSS_BEACON_INTERVAL, 100);
        nla_put_u16(message, NL80211_BSS_CAPABILITY, 0x1411);
        nla_put_u32(message, NL80211_BSS_FREQUENCY, frequencyMhz);
        nla_put_u32(message, NL80211_BSS_SEEN_MS_AGO, static_cast<std::uint32_t>(index % 900));
        nla_put_u64(message, NL80211_BSS_LAST_SEEN_BOOTTIME, tsf * 1000);
        nla_put_u32(message, NL80211_BSS_CHAN_WIDTH, NL80211_BSS_CHAN_WIDTH_20);
        nla_put_s32(message, NL80211_BSS_SIGNAL_MBM, -3000 - (index * 37) % 6000);
    });
}

// The dump of `count` BSSs and its end, packed as the kernel packs them:
// whole entries, one after another, into datagrams of at most 32 KB.
std::vector<Bytes> dumpDatagrams(int count) {
    std::vector<Bytes> datagrams(1);
    const auto add = [&](const Bytes& message) {
        if (datagrams.back().size() + NLMSG_ALIGN(message.size()) > MostDatagramBytes)
            datagrams.emplace_back();
        Bytes& current = datagrams.back();
        current.insert(current.end(), message.begin(), message.end());
        current.resize(NLMSG_ALIGN(current.size()));
    };
    for (int index = 0; index < count; ++index)
        add(kernelEntry(index));
    add(wifi::test::done());
    return datagrams;
}

// An AdapterScanner over a replayed kernel that holds a dump: each sweep
// asks for a scan, is told its results are in and reads the dump.
class ReplayedAdapter {
public:
    explicit ReplayedAdapter(int bssCount) : m_dump(dumpDatagrams(bssCount)) {
        wifi::test::addSysfsInterface(m_sysfs.path(), "wlan0", true, "iwlwifi");
        auto transport = std::make_unique<wifi::test::ReplayTransport>();
        m_kernel = transport.get();
        m_kernel->answer(wifi::test::datagram({wifi::test::familyAnswer(), wifi::test::ack()}));
        m_kernel->answer(wifi::test::datagram(
            {wifi::test::interfaceEntry("wlan0", Wlan0, NL80211_IFTYPE_STATION),
             wifi::test::done()}));
        ScannerConfig config;
        config.sysfsRoot = m_sysfs.path();
        config.mayTrigger = true;
        Result<std::unique_ptr<AdapterScanner>> opened =
            openAdapterScanner(std::move(config), std::move(transport));
        if (!opened)
            throw std::runtime_error("cannot open the replayed adapter: " + opened.error().message);
        m_scanner = std::move(*opened);
    }

    AdapterScanner& scanner() { return *m_scanner; }
    const std::vector<Bytes>& dump() const { return m_dump; }

    // What the kernel says during the next sweep, in order. Each datagram is
    // a copy, as a socket's receive makes one.
    void queueSweep() {
        m_kernel->answer(wifi::test::ack());
        m_kernel->notify(wifi::test::notification(NL80211_CMD_TRIGGER_SCAN, Wlan0));
        m_kernel->notify(wifi::test::notification(NL80211_CMD_NEW_SCAN_RESULTS, Wlan0));
        for (const Bytes& datagram : m_dump)
            m_kernel->answer(datagram);
    }

private:
    marlow::test::TempDir m_sysfs;
    std::vector<Bytes> m_dump;
    wifi::test::ReplayTransport* m_kernel = nullptr;
    std::unique_ptr<AdapterScanner> m_scanner;
};

// --- The board's sweeps ----------------------------------------------------

// Starts a sweep as the handheld does and runs it to its ScanComplete.
void sweepBoard(board::Board& board, board::Transmission& line) {
    static const EncodedFrame startScan = [] {
        const std::uint8_t command[] = {msg::StartScan};
        return encodeFrame(msg::Command, command);
    }();
    board.receive(startScan.view(), line);
    while (board.sweeping())
        board.step(line);
}

// The board played with the replayed adapter, both bands taken in.
class WifiRig {
public:
    explicit WifiRig(int bssCount) : m_adapter(bssCount) {}
    void prepare() { m_adapter.queueSweep(); }
    void sweep(board::Transmission& line) { sweepBoard(m_board, line); }
    const std::vector<Bytes>& dump() const { return m_adapter.dump(); }

private:
    ReplayedAdapter m_adapter;
    WifiRadio m_radio{m_adapter.scanner(), Bands{true, true}};
    board::Board m_board{{}, m_radio};
};

// 500 access points over channels 1 to 14, within 1 to 20 m of where the
// surveyor stands, heard without noise.
board::Scenario nearbyScenario() {
    board::Scenario scenario;
    scenario.pathLoss.noiseDb = 0;
    for (int i = 0; i < TargetBss; ++i)
        scenario.accessPoints.push_back({{0x00, 0x1A, 0x2B, 0x3C, static_cast<std::uint8_t>(i >> 8),
                                          static_cast<std::uint8_t>(i)},
                                         "fieldwalk-office-" + std::to_string(i),
                                         1 + i % 14,
                                         20.0 + i % 20 * 20.0,
                                         0,
                                         0});
    return scenario;
}

// The simulator's board: the baseline.
class SimulatedRig {
public:
    void prepare() {}
    void sweep(board::Transmission& line) { sweepBoard(m_board, line); }

private:
    board::PathLossRadio m_radio{nearbyScenario()};
    board::Board m_board{{}, m_radio};
};

struct BoardOutput {
    std::size_t reports = 0;
    std::size_t bytes = 0;
    bool complete = false;
};

BoardOutput readOutput(const board::Transmission& line) {
    BoardOutput output;
    const Bytes bytes = line.bytes();
    output.bytes = bytes.size();
    FrameParser parser;
    parser.feed(bytes, [&](std::uint8_t type, std::span<const std::uint8_t>) {
        if (type == msg::ApReport)
            ++output.reports;
        output.complete = type == msg::ScanComplete;
    });
    return output;
}

// One board sweep, with the rig's preparation left out of the timing; the
// sweep's output is freed within it. Returns what one more sweep wrote.
template <typename Rig> BoardOutput timeBoardSweeps(benchmark::State& state, Rig& rig) {
    for (auto _ : state) {
        state.PauseTiming();
        rig.prepare();
        state.ResumeTiming();
        board::Transmission line;
        rig.sweep(line);
        benchmark::DoNotOptimize(line.segments().data());
    }
    rig.prepare();
    board::Transmission line;
    rig.sweep(line);
    const BoardOutput output = readOutput(line);
    if (!output.complete)
        state.SkipWithError("the sweep did not end with ScanComplete");
    state.counters["reports"] = static_cast<double>(output.reports);
    state.counters["lineBytes"] = static_cast<double>(output.bytes);
    return output;
}

void WifiDumpToBoardMessages(benchmark::State& state) {
    WifiRig rig(TargetBss);
    std::size_t dumpBytes = 0;
    for (const Bytes& datagram : rig.dump())
        dumpBytes += datagram.size();
    std::size_t elementBytes = 0;
    for (int index = 0; index < TargetBss; ++index)
        elementBytes += elementsOf(index, channelOfBss(index)).size();
    const BoardOutput output = timeBoardSweeps(state, rig);
    state.counters["datagrams"] = static_cast<double>(rig.dump().size());
    state.counters["dumpBytes"] = static_cast<double>(dumpBytes);
    state.counters["elementsPerBss"] = static_cast<double>(elementBytes) / TargetBss;
    if (output.reports != TargetBss)
        state.SkipWithError("not every BSS of the dump was reported");
}
BENCHMARK(WifiDumpToBoardMessages)->Unit(benchmark::kMillisecond);

void SimulatorBaseline(benchmark::State& state) {
    SimulatedRig rig;
    timeBoardSweeps(state, rig);
}
BENCHMARK(SimulatorBaseline)->Unit(benchmark::kMillisecond);

// --- The memory a sweep holds ----------------------------------------------

// The heap bytes a sweep holds in its BSSs: the list's storage and each
// BSS's elements.
std::size_t heldBytes(const Sweep& sweep) {
    std::size_t bytes = sweep.heard.capacity() * sizeof(ScannedBss);
    for (const ScannedBss& bss : sweep.heard)
        bytes += bss.elements.capacity();
    return bytes;
}

// The adapter's sweep of a dump of range(0) BSSs, with the counters of
// what the sweep keeps.
void SweepMemory(benchmark::State& state) {
    ReplayedAdapter adapter(static_cast<int>(state.range(0)));
    Sweep sweep;
    for (auto _ : state) {
        state.PauseTiming();
        adapter.queueSweep();
        sweep = {};
        state.ResumeTiming();
        sweep = adapter.scanner().sweep();
        benchmark::DoNotOptimize(sweep.heard.data());
    }
    state.counters["kept"] = static_cast<double>(sweep.heard.size());
    state.counters["dropped"] = static_cast<double>(sweep.dropped);
    state.counters["heldBytes"] = static_cast<double>(heldBytes(sweep));
    state.counters["cap"] = static_cast<double>(MaxBssPerSweep);
    if (sweep.heard.size() != MaxBssPerSweep)
        state.SkipWithError("the sweep did not keep MaxBssPerSweep BSSs");
}
BENCHMARK(SweepMemory)
    ->ArgName("kernelBss")
    ->Arg(CappedDump)
    ->Arg(HugeDump)
    ->Unit(benchmark::kMillisecond);

// --- The summary -----------------------------------------------------------

using Clock = std::chrono::steady_clock;

struct Timed {
    double prepareSeconds = 0;
    double sweepSeconds = 0;
};

template <typename Rig> Timed timeOnce(Rig& rig) {
    board::Transmission line;
    const auto start = Clock::now();
    rig.prepare();
    const auto prepared = Clock::now();
    rig.sweep(line);
    line.clear();
    const auto end = Clock::now();
    return {std::chrono::duration<double>(prepared - start).count(),
            std::chrono::duration<double>(end - prepared).count()};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void printSummary() {
    WifiRig wifi(TargetBss);
    SimulatedRig simulated;
    std::vector<double> subject;
    std::vector<double> baseline;
    std::vector<double> queueing;
    const auto timeWifi = [&] {
        const Timed timed = timeOnce(wifi);
        queueing.push_back(timed.prepareSeconds);
        subject.push_back(timed.sweepSeconds);
    };
    const auto timeSimulated = [&] { baseline.push_back(timeOnce(simulated).sweepSeconds); };
    for (int round = 0; round < SummaryRounds; ++round) {
        if (round % 2 == 0) {
            timeWifi();
            timeSimulated();
        } else {
            timeSimulated();
            timeWifi();
        }
    }
    const double s = median(subject) * 1e3;
    const double b = median(baseline) * 1e3;
    std::printf("\n%-44s %9s %9s %6s\n", "board sweep, 500 transmitters", "Wi-Fi", "simulator",
                "ratio");
    std::printf("%-44s %6.3f ms %6.3f ms %6.2f  Wi-Fi <= %.0f ms: %s\n",
                "kernel dump -> board messages (median)", s, b, s / b, TargetMs,
                s <= TargetMs ? "ok" : "MISSED");
    std::printf("%-44s %6.3f ms (the copies a socket's receive makes; not timed above)\n",
                "queueing the dump's datagrams (median)", median(queueing) * 1e3);

    ReplayedAdapter capped(static_cast<int>(CappedDump));
    ReplayedAdapter huge(static_cast<int>(HugeDump));
    capped.queueSweep();
    huge.queueSweep();
    const Sweep cappedSweep = capped.scanner().sweep();
    const Sweep hugeSweep = huge.scanner().sweep();
    const double growth =
        static_cast<double>(heldBytes(hugeSweep)) / static_cast<double>(heldBytes(cappedSweep));
    std::printf("sweep memory, %lld vs %lld BSSs in the dump: kept %zu vs %zu, dropped %zu vs "
                "%zu, %zu vs %zu bytes held, ratio %.2f (<= 1: %s)\n",
                static_cast<long long>(HugeDump), static_cast<long long>(CappedDump),
                hugeSweep.heard.size(), cappedSweep.heard.size(), hugeSweep.dropped,
                cappedSweep.dropped, heldBytes(hugeSweep), heldBytes(cappedSweep), growth,
                growth <= 1.0 ? "ok" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try {
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        printSummary();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "wifi_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
