// Speed of the link's receive path: the parser and message handling on a
// stream of realistic beacon reports, as a multiple of the serial line's
// rate (38400 bit/s, 3,840 bytes/s; the target is 1000x), and the cost of
// processing one report into a scan list of 100 access points (target
// under 20 microseconds) and into one at its cap, and a flood of reports
// from transmitters never heard before.
#include "link/AnalyzerLink.h"
#include "link/ApplyReport.h"
#include "protocol/BeaconBuilder.h"
#include "protocol/FrameCodec.h"
#include "protocol/Protocol.h"
#include "store/SharedRecordList.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace marlow;

constexpr double LineBytesPerSecond = 3840.0;

class NullSink : public ByteSink {
public:
    int send(const std::uint8_t*, std::size_t) override { return 1; }
};

class QuietEvents : public LinkEvents {
public:
    void notifyDraw() override {}
    void warnLowBattery() override {}
};

// A link that sends nowhere, with its scan list.
struct BenchLink {
    BenchLink() { link.attachSink(&sink); }
    void deliver(const std::vector<std::uint8_t>& report) {
        link.handleMessage(msg::ApReport, report.data(), static_cast<std::uint16_t>(report.size()));
    }
    std::size_t records() const {
        return scanList.withLock([](const RecordList& list) { return list.size(); });
    }

    NullSink sink;
    QuietEvents events;
    SharedRecordList scanList;
    AnalyzerLink link{events, scanList};
};

std::vector<std::uint8_t> reportFor(int ap, std::int8_t rssi) {
    BeaconFields beacon;
    beacon.transmitter = {
        0x00, 0x1A, 0x2B, 0x11, static_cast<std::uint8_t>(ap >> 8), static_cast<std::uint8_t>(ap)};
    const auto elements = encodeElements(typicalBeaconElements(
        "office-" + std::to_string(ap), static_cast<std::uint8_t>(1 + ap % 13)));
    return reportPayload(rssi, beaconCapture(beacon, elements));
}

// One scan as the board sends it: for each of 13 channels a ScanChannel
// message and the beacons heard there, 40 access points heard 5 times each,
// then ScanComplete.
std::vector<std::uint8_t> scanStream() {
    std::vector<std::uint8_t> stream;
    for (std::uint8_t channel = 1; channel <= 13; ++channel) {
        const std::uint8_t channelByte[] = {channel};
        appendFrame(stream, msg::ScanChannel, channelByte);
        for (int ap = 0; ap < 40; ++ap) {
            if (1 + ap % 13 != channel)
                continue;
            for (int sighting = 0; sighting < 5; ++sighting)
                appendFrame(stream, msg::ApReport,
                            reportFor(ap, static_cast<std::int8_t>(-35 - ap - sighting)));
        }
    }
    appendFrame(stream, msg::ScanComplete, {});
    return stream;
}

// The reader thread's loop, without a port: one byte per read, no time-outs.
void feed(AnalyzerLink& link, const std::vector<std::uint8_t>& stream) {
    std::uint8_t byte = 0;
    int count = 0;
    std::size_t next = 0;
    link.setParserState(ParserState::Reset);
    for (;;) {
        if (link.parse(&byte, count) == 0)
            continue;
        if (next == stream.size())
            return;
        byte = stream[next++];
        count = 1;
    }
}

void ReceiveScanStream(benchmark::State& state) {
    const std::vector<std::uint8_t> stream = scanStream();
    BenchLink bench;
    for (auto _ : state) {
        // Every measurement starts with an empty scan list.
        bench.scanList.withLock([](RecordList& list) { list.clear(); });
        feed(bench.link, stream);
    }
    const auto bytes = static_cast<double>(stream.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
    state.counters["streamBytes"] = bytes;
    state.counters["xLineRate"] = benchmark::Counter(bytes / LineBytesPerSecond,
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(ReceiveScanStream)->Unit(benchmark::kMicrosecond);

// One more sighting of an access point already among 100 in the list:
// decode, lock, find by MAC text, update. range(0) picks the access point by
// its place in the list: 0 is found first, 99 last.
void ReportIntoListOf100(benchmark::State& state) {
    BenchLink bench;
    std::vector<std::vector<std::uint8_t>> reports;
    for (int ap = 0; ap < 100; ++ap) {
        reports.push_back(reportFor(ap, static_cast<std::int8_t>(-30 - ap / 2)));
        bench.deliver(reports.back());
    }
    // The list is in ascending RSSI, so the weakest access point comes first.
    const std::vector<std::uint8_t>& report = reports[99 - state.range(0)];
    for (auto _ : state)
        bench.deliver(report);
    state.counters["records"] = static_cast<double>(bench.records());
}
BENCHMARK(ReportIntoListOf100)->Arg(0)->Arg(99)->Unit(benchmark::kMicrosecond);

// A report from an access point not yet in a list of 100: the whole list is
// searched, a record allocated and linked in by RSSI. Timing includes taking
// the record out again so that the list stays at 100.
void NewApIntoListOf100(benchmark::State& state) {
    BenchLink bench;
    for (int ap = 0; ap < 100; ++ap)
        bench.deliver(reportFor(ap, static_cast<std::int8_t>(-30 - ap / 2)));
    const auto report = reportFor(1000, -50);
    char macText[16] = {};
    formatMacText(macText, {0x00, 0x1A, 0x2B, 0x11, 0x03, 0xE8});
    for (auto _ : state) {
        bench.deliver(report);
        bench.scanList.withLock([&](RecordList& list) {
            RecordNode* node = nullptr;
            list.findByMac(macText, node);
            list.remove(node);
        });
    }
}
BENCHMARK(NewApIntoListOf100)->Unit(benchmark::kMicrosecond);

// A scan list at its cap of 4096: one more sighting of the access point
// found last by a walk (range 0 = 0), or a new one turned away (1). Against
// ReportIntoListOf100/99, the look-up should cost the same at the cap.
void ReportAtTheCap(benchmark::State& state) {
    BenchLink bench;
    bench.link.sendCommand(msg::StartScan);
    std::vector<std::uint8_t> report;
    for (int ap = 0; ap < static_cast<int>(MaxScanRecords); ++ap) {
        report = reportFor(ap, static_cast<std::int8_t>(-30 - ap % 60));
        bench.deliver(report);
    }
    if (state.range(0) == 1)
        report = reportFor(static_cast<int>(MaxScanRecords) + 1, -40);
    for (auto _ : state)
        bench.deliver(report);
    state.counters["records"] = static_cast<double>(bench.records());
}
BENCHMARK(ReportAtTheCap)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A hostile peer's 20 seconds: 33,500 reports, each from a transmitter not
// heard before (range 0 = 1), against the same number from 100 known ones
// (0). Both end with the list at most at its cap.
void ReportFlood(benchmark::State& state) {
    constexpr int Reports = 33500;
    std::vector<std::vector<std::uint8_t>> reports;
    for (int i = 0; i < Reports; ++i)
        reports.push_back(
            reportFor(state.range(0) == 1 ? i : i % 100, static_cast<std::int8_t>(-30 - i % 60)));
    for (auto _ : state) {
        BenchLink bench;
        bench.link.sendCommand(msg::StartScan);
        for (const auto& r : reports)
            bench.deliver(r);
        benchmark::DoNotOptimize(bench.link.droppedReports.load());
    }
}
BENCHMARK(ReportFlood)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
