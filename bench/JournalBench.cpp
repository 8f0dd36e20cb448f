// The journal's costs against what the disk alone costs: journalling one
// point (a few hundred bytes appended and synced) against a bare append and
// fdatasync of as many bytes, and restoring 8,000 journalled points against
// reading the journal's bytes. A closing summary times each pair
// interleaved, so both see the same state of the machine, as ratios.
#include "journal/Journal.h"
#include "measure/Measurement.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <stdlib.h>
#include <unistd.h>

namespace marlow {
namespace {

// A point of three access points, as a walk commits them.
JournalPoint samplePoint(std::int32_t i) {
    JournalPoint point{1'700'000'000 + i, true, {}};
    for (std::uint8_t ap = 1; ap <= 3; ++ap) {
        SurveyRecord& r = point.records.emplace_back();
        r.x = i % 1000;
        r.y = i / 1000;
        setText(r.pointName, TakenPointName);
        r.macAddr[5] = ap;
        formatMacText(r.macText, r.macAddr);
        setText(r.ssid, "office-net");
        r.rssi = -40 - ap * 7;
        r.channel = 6;
    }
    return point;
}

struct Folder {
    Folder() {
        if (!::mkdtemp(path.data()))
            std::abort();
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string path = (std::filesystem::temp_directory_path() / "marlow-jbench-XXXXXX").string();
};

const JournalHeader Header{{"/surveys/site.tws", 1, 1}, false};

void journalPoints(JournalFile& journal, int count) {
    for (int i = 0; i < count; ++i)
        if (!journal.append(samplePoint(i)))
            std::abort();
}

void bareSyncs(int fd, std::size_t size, int count) {
    const std::vector<char> bytes(size, 'x');
    for (int i = 0; i < count; ++i)
        if (::write(fd, bytes.data(), size) != static_cast<ssize_t>(size) || ::fdatasync(fd) != 0)
            std::abort();
}

void restore(const std::filesystem::path& path) {
    const std::optional<JournalContents> work = readJournal(path);
    SiteState site;
    RecordList store;
    for (const JournalEntry& entry : work->entries) {
        const auto& point = std::get<JournalPoint>(entry);
        storeCommittedPoint(site, point.records, point.heard, store);
    }
    benchmark::DoNotOptimize(store.size());
}

std::vector<char> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::vector<char> bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

const std::size_t PointBytes = encodeJournalEntry(samplePoint(0)).size();

void BM_JournalPoint(benchmark::State& state) {
    const Folder folder;
    JournalFile journal;
    if (!journal.create(std::filesystem::path(folder.path) / "j", Header))
        std::abort();
    for (auto _ : state)
        journalPoints(journal, 1);
    state.SetLabel(std::to_string(PointBytes) + " bytes a point");
}
BENCHMARK(BM_JournalPoint)->Unit(benchmark::kMillisecond);

void BM_BareFdatasync(benchmark::State& state) {
    const Folder folder;
    const int fd = ::open((folder.path + "/b").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    for (auto _ : state)
        bareSyncs(fd, PointBytes, 1);
    ::close(fd);
}
BENCHMARK(BM_BareFdatasync)->Unit(benchmark::kMillisecond);

constexpr int RestoredPoints = 8000;

std::filesystem::path journalOf8000(const Folder& folder) {
    const std::filesystem::path path = std::filesystem::path(folder.path) / "j8000";
    JournalFile journal([](int) { return 0; }); // the disk is not what is measured here
    if (!journal.create(path, Header))
        std::abort();
    journalPoints(journal, RestoredPoints);
    return path;
}

void BM_Restore8000Points(benchmark::State& state) {
    const Folder folder;
    const std::filesystem::path path = journalOf8000(folder);
    for (auto _ : state)
        restore(path);
}
BENCHMARK(BM_Restore8000Points)->Unit(benchmark::kMillisecond);

void BM_ReadJournalBytes(benchmark::State& state) {
    const Folder folder;
    const std::filesystem::path path = journalOf8000(folder);
    for (auto _ : state)
        benchmark::DoNotOptimize(readBytes(path).size());
}
BENCHMARK(BM_ReadJournalBytes)->Unit(benchmark::kMillisecond);

template <typename Run> double seconds(Run&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void printSummary() {
    const Folder folder;
    JournalFile journal;
    if (!journal.create(std::filesystem::path(folder.path) / "j", Header))
        std::abort();
    const int fd = ::open((folder.path + "/b").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    const std::filesystem::path big = journalOf8000(folder);
    double point = 0, bare = 0, restored = 0, read = 0;
    constexpr int Rounds = 20;
    constexpr int Points = 10;
    for (int round = 0; round < Rounds; ++round) {
        point += seconds([&] { journalPoints(journal, Points); });
        bare += seconds([&] { bareSyncs(fd, PointBytes, Points); });
        restored += seconds([&] { restore(big); });
        read += seconds([&] { benchmark::DoNotOptimize(readBytes(big).size()); });
    }
    ::close(fd);
    const double perPoint = point / (Rounds * Points) * 1e3;
    const double perBare = bare / (Rounds * Points) * 1e3;
    std::printf("\nJournalling a point (%zu bytes): %.3f ms, %.2f x a bare fdatasync (%.3f ms)\n",
                PointBytes, perPoint, perPoint / perBare, perBare);
    std::printf("Restoring %d points: %.2f ms, %.2f x reading the journal's bytes (%.2f ms)\n",
                RestoredPoints, restored / Rounds * 1e3, restored / read, read / Rounds * 1e3);
}

} // namespace
} // namespace marlow

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    marlow::printSummary();
    return 0;
}
