// Speed of the view's drawing. The map paint of a 4000 x 3000 and a
// 16,000 x 12,000 site into a 1280 x 960 window, shown whole and zoomed in,
// with no marks and with 32,000, against a plain scaled drawImage of a
// 32-bit picture of the window's size (target: within 2x), for four kinds
// of frame: a repaint of an unchanged view (the kept frame drawn again), a
// frame after a new mark (the mark drawn into the kept frame), a frame
// after a scroll by an arrow key's step (the kept pixels moved, the strip
// that comes into view drawn) and a frame drawn afresh, as after a zoom, a
// resize or a removed mark (the plan converted and every mark rasterised,
// in bands of rows on the machine's cores);
// and the survey screen at 240 x 268 with 50 access points (part of a
// budget of 1 ms from a report on the wire to the repainted screen). A
// closing summary times subject and baseline back to back in alternating
// order and prints their ratio.
#include "ResidentMemory.h"
#include "sitefile/SiteCreator.h"
#include "sitefile/SiteReader.h"
#include "view/ScreenPainters.h"
#include "view/SitePicture.h"

#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace marlow;

constexpr int MarkCount = 32000;
constexpr QSize Window(1280, 960);
constexpr QSize Handheld(240, 268);
constexpr int SurveyRows = 50;
constexpr int ZoomSteps = 3;
constexpr double RatioTarget = 2.0;
constexpr int SummaryRounds = 41;
// An arrow key's or a scroll bar arrow's step, in plan pixels.
constexpr std::int32_t ScrollStep = 10;

struct PlanSize {
    std::int32_t width;
    std::int32_t height;
};
constexpr PlanSize PlanSizes[] = {{4000, 3000}, {16000, 12000}};

// A floor plan of walls on paper in a grey-scale table, with a few tinted
// entries as a real plan has.
SiteBitmap benchPlan(PlanSize size) {
    SiteBitmap plan;
    plan.width = size.width;
    plan.height = size.height;
    for (int i = 0; i < 256; ++i) {
        for (int c = 0; c < 3; ++c)
            plan.colorTable[static_cast<std::size_t>(i * 4 + c)] =
                static_cast<std::uint8_t>(i < 200 ? i : 255 - c * 40);
    }
    plan.pixels.assign(std::size_t{plan.rowStride()} * static_cast<std::size_t>(size.height), 255);
    for (std::int32_t y = 0; y < size.height; ++y) {
        std::uint8_t* row =
            plan.pixels.data() + std::size_t{plan.rowStride()} * static_cast<std::size_t>(y);
        for (std::int32_t x = 0; x < size.width; ++x) {
            if (x % 250 < 6 || y % 200 < 6)
                row[x] = 20;
        }
    }
    return plan;
}

// One plan size: its picture without marks and with 32,000, shown whole
// and zoomed in.
struct PlanFixture {
    explicit PlanFixture(PlanSize size) : plain(benchPlan(size)), marked(benchPlan(size)) {
        std::mt19937 random(5);
        std::uniform_int_distribution<int> x(0, size.width - 1);
        std::uniform_int_distribution<int> y(0, size.height - 1);
        std::uniform_int_distribution<int> rssi(-100, -30);
        for (int i = 0; i < MarkCount; ++i)
            marked.addMark(x(random), y(random), rssi(random));
        full.setBounds({0, 0, size.width, size.height});
        full.showAll({0, 0, size.width, size.height});
        zoomed = full;
        for (int i = 0; i < ZoomSteps; ++i)
            zoomed.zoomIn();
        fullMoved = full;
        fullMoved.panRight(ScrollStep);
        zoomedMoved = zoomed;
        zoomedMoved.panRight(ScrollStep);
    }
    SitePicture plain;
    SitePicture marked;
    MapViewport full;
    MapViewport zoomed;
    // The same views a step to the right: a scroll.
    MapViewport fullMoved;
    MapViewport zoomedMoved;
};

enum class FrameKind { Repaint, NewMark, Scroll, Afresh };
constexpr const char* FrameKindNames[] = {"repaint", "after a new mark", "after a scroll",
                                          "drawn afresh"};

// What the benchmarks share, made once: both plans, the view's pictures, a
// 32-bit picture of the window's size for the baseline, and the window.
struct Fixture {
    Fixture()
        : art(ViewArt::load()), baselinePicture(Window, QImage::Format_RGB32),
          window(Window, QImage::Format_RGB32) {
        for (const PlanSize size : PlanSizes)
            plans.push_back(std::make_unique<PlanFixture>(size));
        baselinePicture.fill(Qt::gray);
        for (int i = 0; i < SurveyRows; ++i)
            rows.push_back({1 + i % 13, "001A2B3C4D" + std::to_string(10 + i),
                            "office-" + std::to_string(i), -35 - i});
    }

    std::vector<std::unique_ptr<PlanFixture>> plans;
    ViewArt art;
    QImage baselinePicture;
    QImage window;
    MapFrame frame;
    bool moved = false;
    std::vector<SurveyRow> rows;
};

Fixture& fixture() {
    static const std::unique_ptr<Fixture> shared = std::make_unique<Fixture>();
    return *shared;
}

const MapViewport& viewportFor(int plan, bool zoomedIn) {
    const PlanFixture& p = *fixture().plans[static_cast<std::size_t>(plan)];
    return zoomedIn ? p.zoomed : p.full;
}

void paintMap(int plan, bool zoomedIn, bool withMarks, FrameKind kind) {
    Fixture& f = fixture();
    const PlanFixture& p = *f.plans[static_cast<std::size_t>(plan)];
    const MapViewport* viewport = &viewportFor(plan, zoomedIn);
    if (kind == FrameKind::NewMark) {
        // The kept frame lacks the last mark, as when it has just come.
        if (f.frame.marks > 0)
            --f.frame.marks;
    } else if (kind == FrameKind::Scroll) {
        f.moved = !f.moved;
        if (f.moved)
            viewport = zoomedIn ? &p.zoomedMoved : &p.fullMoved;
    } else if (kind == FrameKind::Afresh) {
        f.frame.stamp = 0; // nothing kept
    }
    QPainter painter(&f.window);
    paintMapScreen(painter, f.window.rect(), *viewport, withMarks ? &p.marked : &p.plain,
                   f.art.crosshair, f.frame);
}

// The baselines: the window-sized 32-bit picture drawn onto the part of the
// window the plan covers, scaled (from its top-left quarter, as a 2x zoom
// draws it), and as it is (a copy, when the plan covers the window).
void paintBaseline(int plan, bool zoomedIn, bool scaledUp = true) {
    Fixture& f = fixture();
    const Rect client{0, 0, Window.width(), Window.height()};
    const Rect d = viewportFor(plan, zoomedIn).layout(client)->destination;
    QPainter painter(&f.window);
    const QRect source =
        scaledUp ? QRect(0, 0, Window.width() / 2, Window.height() / 2) : f.baselinePicture.rect();
    painter.drawImage(QRect(d.left, d.top, d.width(), d.height()), f.baselinePicture, source);
}

std::string planName(int plan) {
    const PlanSize size = PlanSizes[plan];
    return std::to_string(size.width) + " x " + std::to_string(size.height);
}

void paintSurvey(QImage& screen) {
    QPainter painter(&screen);
    paintSurveyScreen(painter, screen.rect(), fixture().art.radar[1], 6, fixture().rows);
}

void MapPaint(benchmark::State& state) {
    const int plan = static_cast<int>(state.range(0));
    const bool zoomedIn = state.range(1) != 0;
    const bool withMarks = state.range(2) != 0;
    const auto kind = static_cast<FrameKind>(state.range(3));
    for (auto _ : state)
        paintMap(plan, zoomedIn, withMarks, kind);
    state.SetLabel(planName(plan) + (zoomedIn ? ", zoomed in" : ", whole site") +
                   (withMarks ? ", 32000 marks, " : ", no marks, ") +
                   FrameKindNames[state.range(3)]);
}
BENCHMARK(MapPaint)
    ->ArgsProduct({{0, 1}, {0, 1}, {0, 1}, {0, 1, 2, 3}})
    ->ArgNames({"plan", "zoomed", "marks", "frame"})
    ->Unit(benchmark::kMillisecond);

void PlainScaledDrawImage(benchmark::State& state) {
    const bool zoomedIn = state.range(0) != 0;
    for (auto _ : state)
        paintBaseline(0, zoomedIn);
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

void printMapRow(int plan, bool zoomedIn, bool withMarks, FrameKind kind) {
    std::vector<double> subject;
    std::vector<double> baseline;
    std::vector<double> copy;
    for (int round = 0; round < SummaryRounds; ++round) {
        const auto map = [&] {
            subject.push_back(secondsOf([&] { paintMap(plan, zoomedIn, withMarks, kind); }));
        };
        const auto plain = [&] {
            baseline.push_back(secondsOf([&] { paintBaseline(plan, zoomedIn); }));
            copy.push_back(secondsOf([&] { paintBaseline(plan, zoomedIn, false); }));
        };
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
    const double c = median(copy);
    const std::string what = planName(plan) + (zoomedIn ? ", zoomed, " : ", whole, ") +
                             (withMarks ? "32k marks, " : "no marks, ") +
                             FrameKindNames[static_cast<int>(kind)];
    std::printf("%-56s %8.2f ms %8.2f ms %6.2f  <= %.1f  %-6s %8.2f ms %6.2f\n", what.c_str(),
                s * 1e3, b * 1e3, s / b, RatioTarget, s / b <= RatioTarget ? "ok" : "MISSED",
                c * 1e3, s / c);
}

void printSummary() {
    std::printf("\n%u cores, which frames drawn afresh share\n",
                std::max(1u, std::thread::hardware_concurrency()));
    std::printf("%-56s %11s %11s %6s %14s %11s %6s\n", "paint into 1280 x 960", "view", "scaled",
                "ratio", "", "copy", "ratio");
    for (int plan = 0; plan < static_cast<int>(std::size(PlanSizes)); ++plan) {
        for (const bool zoomedIn : {false, true}) {
            for (const bool withMarks : {false, true}) {
                for (const FrameKind kind :
                     {FrameKind::Repaint, FrameKind::NewMark, FrameKind::Scroll, FrameKind::Afresh})
                    printMapRow(plan, zoomedIn, withMarks, kind);
            }
        }
    }
    QImage screen(Handheld, QImage::Format_RGB32);
    std::vector<double> survey;
    for (int round = 0; round < SummaryRounds; ++round)
        survey.push_back(secondsOf([&] { paintSurvey(screen); }));
    std::printf("survey screen 240 x 268, 50 access points: %.3f ms (budget for the whole "
                "report path: 1 ms)\n",
                median(survey) * 1e3);
}

// The 16,000 x 12,000 site: opening it (read, then the picture made)
// against a plain read of the file, and the memory the open site holds
// with a frame painted, against the 8-bit plan's size. Run first, before
// the benchmarks' own pictures exist.
void printLargeSite() {
    const PlanSize size = PlanSizes[1];
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("marlow-view-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "large.tws").string();
    double planBytes = 0;
    {
        const SiteBitmap plan = benchPlan(size);
        planBytes = static_cast<double>(plan.pixels.size());
        if (!createSite(path, plan, 0)) {
            std::printf("could not write %s\n", path.c_str());
            return;
        }
    }
    std::vector<double> reads;
    std::vector<double> opens;
    for (int round = 0; round < 5; ++round) {
        reads.push_back(secondsOf([&] {
            std::ifstream in(path, std::ios::binary);
            std::vector<char> bytes(std::filesystem::file_size(path));
            in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            benchmark::DoNotOptimize(bytes.data());
        }));
        opens.push_back(secondsOf([&] {
            SiteResult<OpenedSite> opened = openSite(path);
            const SitePicture picture(std::move(opened->bitmap));
            benchmark::DoNotOptimize(picture.width());
        }));
    }
    const long before = bench::residentKb();
    {
        // The rest of the open file goes, as when the view adopts the site.
        const SitePicture picture = [&] {
            SiteResult<OpenedSite> opened = openSite(path);
            return SitePicture(std::move(opened->bitmap));
        }();
        MapViewport viewport;
        viewport.setBounds({0, 0, size.width, size.height});
        viewport.showAll({0, 0, size.width, size.height});
        QImage window(Window, QImage::Format_RGB32);
        MapFrame frame;
        QPainter painter(&window);
        paintMapScreen(painter, window.rect(), viewport, &picture, QImage(), frame);
        const double held = static_cast<double>(bench::residentKb() - before) * 1024.0;
        std::printf("\n16000 x 12000 site: open %.0f ms, plain read %.0f ms: %.2fx (<= 1.5)\n",
                    median(opens) * 1e3, median(reads) * 1e3, median(opens) / median(reads));
        std::printf(
            "memory held with a frame painted: %.0f MB for a %.0f MB plan: %.3fx (<= 1.25)\n",
            held / 1e6, planBytes / 1e6, held / planBytes);
    }
    std::filesystem::remove_all(folder);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    printLargeSite();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printSummary();
    return 0;
}
