// The survey report of the benchmark site (8,000 points of four access
// points on a 4000 x 3000 plan), from the loaded survey to the PDF and the
// HTML page in memory, as tws report makes them: whole, and in its three
// steps. Its time is set against that of one coverage map of the strongest
// signal over the whole plan, as tws heatmap estimates it (target: the
// whole report within 10 times that), in a closing summary that times the
// two back to back in alternating order.
#include "BenchSite.h"
#include "ReportDocuments.h"
#include "ReportHtml.h"
#include "ReportModel.h"
#include "ReportPdf.h"
#include "analysis/Coverage.h"
#include "analysis/SurveySummary.h"
#include "sitefile/SiteFormat.h"
#include "sitefile/SiteReader.h"

#include <QGuiApplication>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace marlow {
namespace {

// The site, opened and summed up once for all the benchmarks.
struct Survey {
    Survey() {
        SiteResult<OpenedSite> site = openSite(bench.sitePath());
        if (!site)
            throw std::runtime_error("cannot open the benchmark site");
        opened = std::make_unique<OpenedSite>(std::move(*site));
        const SiteResult<SignaturePixels> read =
            readSignature(bench.sitePath(), decodeHeader(opened->file.header).signatureOffset);
        if (!read)
            throw std::runtime_error("cannot read the benchmark site's signature");
        signature = *read;
    }

    tws::Report report(const std::vector<analysis::SurveyedPoint>& points,
                       const analysis::SurveySummary& summary) const {
        return tws::buildReport({"bench.tws", *opened, signature, points, summary}, {});
    }

    bench::BenchSite bench;
    std::unique_ptr<OpenedSite> opened;
    SignaturePixels signature{};
};

const Survey& survey() {
    static const Survey instance;
    return instance;
}

template <typename T> const T& checked(const Result<T>& result) {
    if (!result)
        throw std::runtime_error("the report failed: " + result.error().message);
    return *result;
}

// The report from the loaded survey to both documents; their sizes.
std::pair<std::size_t, std::size_t> makeReport() {
    const Survey& s = survey();
    const auto points = analysis::surveyedPoints(s.bench.store());
    const analysis::SurveySummary summary = analysis::summarize(points);
    const tws::Report report = s.report(points, summary);
    const tws::ReportDocuments documents = tws::renderDocuments(report, true);
    return {static_cast<std::size_t>(checked(documents.pdf).size()),
            checked(*documents.html).size()};
}

// One map of the strongest signal over the whole plan.
std::size_t makeSignalMap() {
    const Survey& s = survey();
    const auto points = analysis::surveyedPoints(s.bench.store());
    return analysis::estimateCoverage(points, s.opened->bitmap.width, s.opened->bitmap.height, {})
        .values.size();
}

void wholeReport(benchmark::State& state) {
    for (auto _ : state) {
        const auto [pdf, html] = makeReport();
        state.counters["pdf_bytes"] = static_cast<double>(pdf);
        state.counters["html_bytes"] = static_cast<double>(html);
    }
}

void signalMap(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(makeSignalMap());
}

void modelOnly(benchmark::State& state) {
    const Survey& s = survey();
    for (auto _ : state) {
        const auto points = analysis::surveyedPoints(s.bench.store());
        const tws::Report report = s.report(points, analysis::summarize(points));
        benchmark::DoNotOptimize(report.sections.size());
    }
}

template <typename Render> void writerOnly(benchmark::State& state, Render render) {
    const Survey& s = survey();
    const auto points = analysis::surveyedPoints(s.bench.store());
    const analysis::SurveySummary summary = analysis::summarize(points);
    const tws::Report report = s.report(points, summary);
    for (auto _ : state)
        benchmark::DoNotOptimize(checked(render(report)).size());
}

double secondsOf(const auto& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void printSummary() {
    constexpr int Rounds = 5;
    std::vector<double> reports;
    std::vector<double> maps;
    for (int round = 0; round < Rounds; ++round) {
        const auto report = [&] { reports.push_back(secondsOf([] { makeReport(); })); };
        const auto map = [&] { maps.push_back(secondsOf([] { makeSignalMap(); })); };
        if (round % 2 == 0) {
            report();
            map();
        } else {
            map();
            report();
        }
    }
    std::sort(reports.begin(), reports.end());
    std::sort(maps.begin(), maps.end());
    const double r = reports[Rounds / 2];
    const double m = maps[Rounds / 2];
    std::printf("\nwhole report %.0f ms, one signal map %.0f ms: %.2fx (<= 10) %s\n", r * 1e3,
                m * 1e3, r / m, r / m <= 10 ? "ok" : "MISSED");
}

} // namespace
} // namespace marlow

int main(int argc, char** argv) {
    using namespace marlow;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::RegisterBenchmark("Report/Whole", wholeReport)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Report/OneSignalMap", signalMap)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Report/ModelOnly", modelOnly)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Report/PdfOnly", [](benchmark::State& state) {
        writerOnly(state, tws::renderPdf);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Report/HtmlOnly", [](benchmark::State& state) {
        writerOnly(state, tws::renderHtml);
    })->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
