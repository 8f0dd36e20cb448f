// Benchmarks of the site file on a generated 4000 x 3000 site of 32,000
// records: reading against a plain read of the same file, saving against a
// plain copy with and without fsync, and the store's bytes per record. A
// summary with the ratios follows the benchmark table.
#include "Baselines.h"
#include "BenchSite.h"
#include "SiteOperations.h"
#include "Summary.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace marlow::bench {

namespace {

constexpr benchmark::IterationCount SaveIterations = 20;
constexpr benchmark::IterationCount MemoryIterations = 3;

// Reports the site file's size per iteration, so that the subject and its
// baseline show the same kind of throughput.
void countBytes(benchmark::State& state, const BenchSite& site) {
    const auto fileSize = static_cast<std::int64_t>(std::filesystem::file_size(site.sitePath()));
    state.SetBytesProcessed(state.iterations() * fileSize);
}

void readSiteBench(benchmark::State& state, const BenchSite& site) {
    for (auto _ : state) {
        std::unique_ptr<LoadedSite> loaded = readSite(site.sitePath());
        if (!loaded) {
            state.SkipWithError("the site does not open");
            return;
        }
        state.PauseTiming();
        loaded.reset();
        state.ResumeTiming();
    }
    countBytes(state, site);
}

void readFileBench(benchmark::State& state, const BenchSite& site) {
    for (auto _ : state) {
        std::optional<std::vector<char>> bytes = readWholeFile(site.sitePath());
        if (!bytes) {
            state.SkipWithError("the site file cannot be read");
            return;
        }
        state.PauseTiming();
        bytes.reset();
        state.ResumeTiming();
    }
    countBytes(state, site);
}

// The two halves of reading a site, to show where its time goes.
void openSiteBench(benchmark::State& state, const BenchSite& site) {
    for (auto _ : state) {
        std::optional<SiteResult<OpenedSite>> opened = openSite(site.sitePath());
        if (!*opened) {
            state.SkipWithError("the site does not open");
            return;
        }
        state.PauseTiming();
        opened.reset();
        state.ResumeTiming();
    }
}

void loadPointsBench(benchmark::State& state, const BenchSite& site) {
    const SiteResult<OpenedSite> opened = openSite(site.sitePath());
    if (!opened) {
        state.SkipWithError("the site does not open");
        return;
    }
    for (auto _ : state) {
        auto store = std::make_unique<RecordList>();
        loadPoints(*opened, *store, [](std::int32_t, std::int32_t, int) {});
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(RecordCount));
}

void storeMemoryBench(benchmark::State& state, const BenchSite& site) {
    const SiteResult<OpenedSite> opened = openSite(site.sitePath());
    if (!opened) {
        state.SkipWithError("the site does not open");
        return;
    }
    double bytesPerRecord = 0.0;
    for (auto _ : state)
        bytesPerRecord = storeBytesPerRecord(*opened);
    state.counters["bytes_per_record"] = bytesPerRecord;
}

void saveSiteBench(benchmark::State& state, const BenchSite& site) {
    for (auto _ : state) {
        if (!saveSite(site)) {
            state.SkipWithError("the save failed");
            return;
        }
    }
    countBytes(state, site);
}

void copyBench(benchmark::State& state, const BenchSite& site, Durability durability) {
    const std::string target = site.pathOf("copy.site");
    for (auto _ : state) {
        if (!replaceWithCopy(site.sitePath(), target, durability)) {
            state.SkipWithError("the copy failed");
            return;
        }
    }
    countBytes(state, site);
}

void registerBenchmarks(const BenchSite& site) {
    const auto with = [&site](auto function) {
        return [&site, function](benchmark::State& state) { function(state, site); };
    };
    benchmark::RegisterBenchmark("Read/SiteFile", with(readSiteBench))->UseRealTime();
    benchmark::RegisterBenchmark("Read/PlainFile", with(readFileBench))->UseRealTime();
    benchmark::RegisterBenchmark("Read/OpenSiteOnly", with(openSiteBench))->UseRealTime();
    benchmark::RegisterBenchmark("Read/LoadPointsOnly", with(loadPointsBench))->UseRealTime();
    benchmark::RegisterBenchmark("Store/Memory", with(storeMemoryBench))
        ->Iterations(MemoryIterations);
    benchmark::RegisterBenchmark("Save/SiteData", with(saveSiteBench))
        ->UseRealTime()
        ->Iterations(SaveIterations);
    benchmark::RegisterBenchmark(
        "Save/CopyWithFsync",
        [&site](benchmark::State& state) { copyBench(state, site, Durability::Flushed); })
        ->UseRealTime()
        ->Iterations(SaveIterations);
    // Last, since the dirty pages it leaves slow down the next fsync.
    benchmark::RegisterBenchmark(
        "Save/CopyWithoutFsync",
        [&site](benchmark::State& state) { copyBench(state, site, Durability::Unflushed); })
        ->UseRealTime()
        ->Iterations(SaveIterations);
}

} // namespace

} // namespace marlow::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try {
        const marlow::bench::BenchSite site;
        marlow::bench::registerBenchmarks(site);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        marlow::bench::printSummary(site);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sitefile_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
