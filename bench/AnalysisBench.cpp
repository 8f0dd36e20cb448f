// Speed of the coverage map (the signal metric, default radius) on
// generated surveys of one density: 4,000 x 3,000 pixels with 8,000 points,
// 8,000 x 6,000 with 32,000 and 16,000 x 12,000 with 128,000, on every core
// and on one. The closing summary times them round by round in one run and
// prints the ratios with their targets: the largest plan at most 20x the
// smallest (16x the pixels), time per pixel with 4x the points within 25 %,
// and the speed-up from the cores; the verdicts go by CPU time, which other
// work on the machine disturbs less than the wall clock.
#include "analysis/Coverage.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <stdlib.h>
#include <thread>
#include <time.h>
#include <vector>

namespace {

using namespace marlow::analysis;

struct Survey {
    std::int32_t width;
    std::int32_t height;
    std::vector<SurveyedPoint> points;
};

constexpr int SmallestPoints = 8000;
constexpr double LargeRatioTarget = 20.0;
constexpr double PerPixelTarget = 1.25;
constexpr int SummaryRounds = 5;

// Points on a grid of the plan's shape, each moved at random by up to a
// third of the spacing, hearing three to five access points.
Survey jitteredGrid(int scale) {
    Survey survey{4000 * scale, 3000 * scale, {}};
    const int count = SmallestPoints * scale * scale;
    const double spacing = std::sqrt(double(survey.width) * survey.height / count);
    std::mt19937 random(17u + static_cast<unsigned>(scale));
    std::uniform_real_distribution<double> jitter(-spacing / 3, spacing / 3);
    std::uniform_int_distribution<int> rssi(-95, -35);
    std::uniform_int_distribution<int> apCount(3, 5);
    std::uniform_int_distribution<int> channel(1, 11);
    for (double y = spacing / 2; y < survey.height; y += spacing) {
        for (double x = spacing / 2; x < survey.width; x += spacing) {
            SurveyedPoint point{static_cast<std::int32_t>(std::lround(x + jitter(random))),
                                static_cast<std::int32_t>(std::lround(y + jitter(random))),
                                "P",
                                {}};
            for (int i = apCount(random); i > 0; --i)
                point.heard.push_back({{0, 0x11, 0, 0, 0, static_cast<std::uint8_t>(i)},
                                       "lab",
                                       channel(random),
                                       rssi(random)});
            survey.points.push_back(std::move(point));
        }
    }
    return survey;
}

const Survey& survey(int scale) {
    static const Survey surveys[] = {jitteredGrid(1), jitteredGrid(2), jitteredGrid(4)};
    return surveys[scale == 1 ? 0 : scale == 2 ? 1 : 2];
}

void estimate(int scale, unsigned threads) {
    const Survey& s = survey(scale);
    CoverageOptions options;
    options.threads = threads;
    const CoverageMap map = estimateCoverage(s.points, s.width, s.height, options);
    benchmark::DoNotOptimize(map.values.data());
}

void SignalMap(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    const auto threads = static_cast<unsigned>(state.range(1));
    for (auto _ : state)
        estimate(scale, threads);
    const Survey& s = survey(scale);
    state.SetLabel(std::to_string(s.width) + " x " + std::to_string(s.height) + ", " +
                   std::to_string(s.points.size()) + " points, " +
                   (threads == 0 ? "every core" : "1 thread"));
}
BENCHMARK(SignalMap)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({2, 0})
    ->Args({4, 0})
    ->ArgNames({"scale", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// --- The summary ----------------------------------------------------------

// Wall-clock and process CPU time (every thread's) of one estimate. On a
// machine shared with other work the CPU time is the steadier measure of
// the work done; the wall clock shows what the cores gave.
struct Timing {
    double wall = 0;
    double cpu = 0;
};

double cpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

Timing timingOf(int scale, unsigned threads) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    estimate(scale, threads);
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            cpuSeconds() - cpuStart};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

const char* verdict(bool met) {
    return met ? "ok" : "MISSED";
}

struct Case {
    int scale;
    unsigned threads;
    std::vector<double> wall;
    std::vector<double> cpu;

    Timing medians() const { return {median(wall), median(cpu)}; }
};

void printRatio(const char* what, double wall, double cpu, const char* target, bool met) {
    std::printf("%-40s %8.2f %8.2f  %-18s %s\n", what, wall, cpu, target, verdict(met));
}

void printSummary() {
    // Each round times every case once, in an order that turns each round.
    std::vector<Case> cases = {{1, 0, {}, {}}, {1, 1, {}, {}}, {2, 0, {}, {}}, {4, 0, {}, {}}};
    for (int round = 0; round < SummaryRounds; ++round) {
        std::rotate(cases.begin(), cases.begin() + 1, cases.end());
        for (Case& c : cases) {
            const Timing t = timingOf(c.scale, c.threads);
            c.wall.push_back(t.wall);
            c.cpu.push_back(t.cpu);
        }
    }
    const auto find = [&](int scale, unsigned threads) {
        return std::find_if(cases.begin(), cases.end(),
                            [&](const Case& k) { return k.scale == scale && k.threads == threads; })
            ->medians();
    };
    const Timing small = find(1, 0);
    const Timing single = find(1, 1);
    const Timing middle = find(2, 0);
    const Timing large = find(4, 0);
    const double pixels = 4000.0 * 3000.0;
    std::printf("\nSummary: signal map, default radius, medians of %d interleaved rounds\n",
                SummaryRounds);
    std::printf("%-40s %8s %8s  %s\n", "", "wall ms", "CPU ms", "CPU ns/pixel");
    const auto row = [&](const char* what, const Timing& t, double scale) {
        std::printf("%-40s %8.1f %8.1f  %.2f\n", what, t.wall * 1e3, t.cpu * 1e3,
                    t.cpu / (scale * pixels) * 1e9);
    };
    row("4000 x 3000, 8000 points", small, 1);
    row("4000 x 3000, 8000 points, 1 thread", single, 1);
    row("8000 x 6000, 32000 points", middle, 4);
    row("16000 x 12000, 128000 points", large, 16);
    std::printf("\n%-40s %8s %8s  %s\n", "ratio", "wall", "CPU", "target");
    printRatio("16x the pixels", large.wall / small.wall, large.cpu / small.cpu, "<= 20",
               large.cpu / small.cpu <= LargeRatioTarget);
    const double perPixelWall = middle.wall / 4 / small.wall;
    const double perPixelCpu = middle.cpu / 4 / small.cpu;
    printRatio("4x the points, per pixel", perPixelWall, perPixelCpu, "within 25 % of 1",
               perPixelCpu <= PerPixelTarget && perPixelCpu >= 1 / PerPixelTarget);
    std::printf("%-40s %8.2f %8.2f  (%u cores; CPU near 1 when the work is only shared)\n",
                "1 thread / every core", single.wall / small.wall, single.cpu / small.cpu,
                std::max(1u, std::thread::hardware_concurrency()));
    double load[3] = {};
    if (::getloadavg(load, 3) > 0)
        std::printf("load average during the summary: %.2f\n", load[0]);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
