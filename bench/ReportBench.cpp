// The survey report of the benchmark site (8,000 points of four access
// points on a 4000 x 3000 plan), from the loaded survey to the PDF and the
// HTML page in memory, as tws report makes them: whole, and in its three
// steps. Its time is set against that of one coverage map.
#include "BenchSite.h"
#include "ReportHtml.h"
#include "ReportModel.h"
#include "ReportPdf.h"
#include "analysis/SurveySummary.h"
#include "sitefile/SiteFormat.h"
#include "sitefile/SiteReader.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <memory>
#include <stdexcept>

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

void wholeReport(benchmark::State& state) {
    const Survey& s = survey();
    for (auto _ : state) {
        const auto points = analysis::surveyedPoints(s.bench.store());
        const analysis::SurveySummary summary = analysis::summarize(points);
        const tws::Report report = s.report(points, summary);
        state.counters["pdf_bytes"] = static_cast<double>(checked(tws::renderPdf(report)).size());
        state.counters["html_bytes"] = static_cast<double>(checked(tws::renderHtml(report)).size());
    }
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

} // namespace
} // namespace marlow

int main(int argc, char** argv) {
    using namespace marlow;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::RegisterBenchmark("Report/Whole", wholeReport)->Unit(benchmark::kMillisecond);
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
    return 0;
}
