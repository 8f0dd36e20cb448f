// Speed of the view's drawing. The map paint of a 4000 x 3000 site into a
// 1280 x 960 window, shown whole and zoomed in, with no marks and with
// 30,000, against a plain scaled drawImage of a 32-bit picture of the same
// size (target: within 2x); and the survey screen at 240 x 268 with 50
// access points (part of a budget of 1 ms from a report on the wire to the
// repainted screen). A closing summary times subject and baseline back to
// back in alternating order and prints their ratio.
#include "view/ScreenPainters.h"
#include "view/SitePicture.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace marlow;

constexpr std::int32_t SiteWidth = 4000;
constexpr std::int32_t SiteHeight = 3000;
constexpr int MarkCount = 30000;
constexpr QSize Window(1280, 960);
constexpr QSize Handheld(240, 268);
constexpr int SurveyRows = 50;
constexpr int ZoomSteps = 3;
constexpr double RatioTarget = 2.0;
constexpr int SummaryRounds = 41;

// A floor plan of walls on paper in a grey-scale table, with a few tinted
// entries as a real plan has.
SiteBitmap benchPlan() {
    SiteBitmap plan;
    plan.width = SiteWidth;
    plan.height = SiteHeight;
    for (int i = 0; i < 256; ++i) {
        for (int c = 0; c < 3; ++c)
            plan.colorTable[static_cast<std::size_t>(i * 4 + c)] =
                static_cast<std::uint8_t>(i < 200 ? i : 255 - c * 40);
    }
    plan.pixels.assign(std::size_t{plan.rowStride()} * SiteHeight, 255);
    for (std::int32_t y = 0; y < SiteHeight; ++y) {
        std::uint8_t* row = plan.pixels.data() + std::size_t{plan.rowStride()} * y;
        for (std::int32_t x = 0; x < SiteWidth; ++x) {
            if (x % 250 < 6 || y % 200 < 6)
                row[x] = 20;
        }
    }
    return plan;
}

// What the benchmarks share, made once: the site picture without marks and
// with 30,000, the pictures of the view, a 32-bit picture of the same size
// for the baseline, and the window.
struct Fixture {
    Fixture()
        : plain(benchPlan()), marked(benchPlan()), art(ViewArt::load()),
          baselinePicture(plain.display().copy()), window(Window, QImage::Format_RGB32) {
        std::mt19937 random(5);
        std::uniform_int_distribution<int> x(0, SiteWidth - 1);
        std::uniform_int_distribution<int> y(0, SiteHeight - 1);
        std::uniform_int_distribution<int> rssi(-100, -30);
        for (int i = 0; i < MarkCount; ++i)
            marked.drawMark(x(random), y(random), rssi(random));
        full.setBounds({0, 0, SiteWidth, SiteHeight});
        full.showAll({0, 0, SiteWidth, SiteHeight});
        zoomed = full;
        for (int i = 0; i < ZoomSteps; ++i)
            zoomed.zoomIn();
        for (int i = 0; i < SurveyRows; ++i)
            rows.push_back({1 + i % 13, "001A2B3C4D" + std::to_string(10 + i),
                            "office-" + std::to_string(i), -35 - i});
    }

    SitePicture plain;
    SitePicture marked;
    ViewArt art;
    QImage baselinePicture;
    QImage window;
    MapViewport full;
    MapViewport zoomed;
    std::vector<SurveyRow> rows;
};

Fixture& fixture() {
    static const std::unique_ptr<Fixture> shared = std::make_unique<Fixture>();
    return *shared;
}

const MapViewport& viewportFor(bool zoomedIn) {
    return zoomedIn ? fixture().zoomed : fixture().full;
}

const SitePicture& pictureFor(bool withMarks) {
    return withMarks ? fixture().marked : fixture().plain;
}

void paintMap(bool zoomedIn, bool withMarks) {
    Fixture& f = fixture();
    QPainter painter(&f.window);
    paintMapScreen(painter, f.window.rect(), viewportFor(zoomedIn), &pictureFor(withMarks),
                   f.art.crosshair);
}

// The baseline: one stretched copy of the same source rectangle of a 32-bit
// picture onto the same part of the window.
void paintBaseline(bool zoomedIn) {
    Fixture& f = fixture();
    const Rect client{0, 0, Window.width(), Window.height()};
    const ViewLayout layout = *viewportFor(zoomedIn).layout(client);
    const Rect& d = layout.destination;
    const Rect& s = layout.source;
    QPainter painter(&f.window);
    painter.drawImage(QRect(d.left, d.top, d.width(), d.height()), f.baselinePicture,
                      QRect(s.left, s.top, s.width(), s.height()));
}

void paintSurvey(QImage& screen) {
    QPainter painter(&screen);
    paintSurveyScreen(painter, screen.rect(), fixture().art.radar[1], 6, fixture().rows);
}

void MapPaint(benchmark::State& state) {
    const bool zoomedIn = state.range(0) != 0;
    const bool withMarks = state.range(1) != 0;
    for (auto _ : state)
        paintMap(zoomedIn, withMarks);
    state.SetLabel(std::string(zoomedIn ? "zoomed in" : "whole site") +
                   (withMarks ? ", 30000 marks" : ", no marks"));
}
BENCHMARK(MapPaint)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"zoomed", "marks"})
    ->Unit(benchmark::kMillisecond);

void PlainScaledDrawImage(benchmark::State& state) {
    const bool zoomedIn = state.range(0) != 0;
    for (auto _ : state)
        paintBaseline(zoomedIn);
    state.SetLabel(zoomedIn ? "zoomed in" : "whole site");
}
BENCHMARK(PlainScaledDrawImage)->Arg(0)->Arg(1)->ArgName("zoomed")->Unit(benchmark::kMillisecond);

void SurveyScreenPaint(benchmark::State& state) {
    QImage screen(Handheld, QImage::Format_RGB32);
    for (auto _ : state)
        paintSurvey(screen);
    state.SetLabel("240 x 268, 50 access points");
}
BENCHMARK(SurveyScreenPaint)->Unit(benchmark::kMicrosecond);

void DrawMark(benchmark::State& state) {
    SitePicture& picture = fixture().marked;
    int i = 0;
    for (auto _ : state) {
        picture.drawMark(1000 + i % 2000, 1000 + i % 1000, -60);
        ++i;
    }
}
BENCHMARK(DrawMark)->Unit(benchmark::kMicrosecond);

// --- The summary ----------------------------------------------------------

using Clock = std::chrono::steady_clock;

template <typename Paint> double secondsOf(const Paint& paint) {
    const auto start = Clock::now();
    paint();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void printMapRow(bool zoomedIn, bool withMarks) {
    std::vector<double> subject;
    std::vector<double> baseline;
    for (int round = 0; round < SummaryRounds; ++round) {
        const auto map = [&] {
            subject.push_back(secondsOf([&] { paintMap(zoomedIn, withMarks); }));
        };
        const auto plain = [&] { baseline.push_back(secondsOf([&] { paintBaseline(zoomedIn); })); };
        if (round % 2 == 0) {
            map();
            plain();
        } else {
            plain();
            map();
        }
    }
    const double s = median(subject);
    const double b = median(baseline);
    const std::string what = std::string("map, ") + (zoomedIn ? "zoomed in, " : "whole site, ") +
                             (withMarks ? "30000 marks" : "no marks");
    std::printf("%-34s %8.2f ms %8.2f ms %6.2f  <= %.1f  %s\n", what.c_str(), s * 1e3, b * 1e3,
                s / b, RatioTarget, s / b <= RatioTarget ? "ok" : "MISSED");
}

void printSummary() {
    std::printf("\n%-34s %11s %11s %6s\n", "paint into 1280 x 960", "view", "drawImage", "ratio");
    for (const bool zoomedIn : {false, true}) {
        for (const bool withMarks : {false, true})
            printMapRow(zoomedIn, withMarks);
    }
    QImage screen(Handheld, QImage::Format_RGB32);
    std::vector<double> survey;
    for (int round = 0; round < SummaryRounds; ++round)
        survey.push_back(secondsOf([&] { paintSurvey(screen); }));
    std::printf("survey screen 240 x 268, 50 access points: %.3f ms (budget for the whole "
                "report path: 1 ms)\n",
                median(survey) * 1e3);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
