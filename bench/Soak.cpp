// The soak run: the program's window, offscreen, with the simulated office
// board injecting every fault it has, takes 1,000 points one after another
// and then saves the survey. It checks that resident memory after the
// 1,000th point stays within 10 % of that after the 100th, that no point is
// lost, and that the file's survey data is byte for byte what the store
// held. Prints its figures; exits 1 when a check fails. Not a test: it runs
// for minutes, with `make soak`.
#include "ResidentMemory.h"
#include "board/OfficeScenario.h"
#include "board/Simulator.h"
#include "shell/CMainFrame.h"
#include "shell/ProgramStatics.h"
#include "sitefile/SignatureBlock.h"
#include "sitefile/SiteReader.h"
#include "sitefile/SurveyData.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace {

using namespace marlow;
using namespace std::chrono_literals;

constexpr int Points = 1000;
constexpr int EarlyPoint = 100;
constexpr double MemoryGrowthLimit = 1.10;
constexpr const char* OfficeSite = OFFICE_SITE;

// Answers No to the keep-points question, OK to everything else.
class SoakBoxes final : public MessageBoxes {
public:
    BoxAnswer show(QWidget*, const MessageBoxRequest& request) override {
        ++shown;
        return request.buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
    }
    int shown = 0;
};

class SilentSounds final : public Sounds {
public:
    void playSoundAsync(std::string_view) override {}
    void playSoundSync(std::string_view) override {}
};

class NoAdapters final : public DriverRegistry {
public:
    std::optional<std::string> readString(const std::string&, const std::string&) const override {
        return std::nullopt;
    }
};

std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool sameRecord(const SurveyRecord& a, const SurveyRecord& b) {
    return a.x == b.x && a.y == b.y && a.rssi == b.rssi && a.channel == b.channel &&
           std::memcmp(a.pointName, b.pointName, sizeof a.pointName) == 0 &&
           std::memcmp(a.macText, b.macText, sizeof a.macText) == 0 &&
           std::memcmp(a.macAddr, b.macAddr, sizeof a.macAddr) == 0 &&
           std::memcmp(a.ssid, b.ssid, sizeof a.ssid) == 0;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const std::string site = dir.filePath(QStringLiteral("soak.tws")).toStdString();
    std::filesystem::copy_file(OfficeSite, site);

    board::SimulatorConfig config;
    config.scenario = board::officeScenario();
    config.line.pacing = false;
    config.line.faults = {board::AllFaults.begin(), board::AllFaults.end()};
    std::unique_ptr<board::BoardServer> board = board::makeSimulator(std::move(config));
    if (!board->startOnPseudoTerminal()) {
        std::fprintf(stderr, "soak: the simulated board did not start\n");
        return 1;
    }

    SoakBoxes boxes;
    SilentSounds sounds;
    CMainFrame frame(programContext(boxes, sounds));
    frame.show();
    CMarlowView& view = *frame.view();
    view.session().setPointListener([&](std::int32_t x, std::int32_t y) {
        board->setSurveyPosition({static_cast<double>(x), static_cast<double>(y)});
    });
    view.initialUpdate(NoAdapters(), {board->devicePath(), 0ms});
    if (!view.openSiteFile(site)) {
        std::fprintf(stderr, "soak: %s did not open\n", site.c_str());
        return 1;
    }

    const Rect bounds = view.mapViewport().bounds();
    std::mt19937 random(2026);
    std::uniform_int_distribution<std::int32_t> across(bounds.left, bounds.right - 1);
    std::uniform_int_distribution<std::int32_t> down(bounds.top, bounds.bottom - 1);
    QElapsedTimer elapsed;
    elapsed.start();
    long early = 0;
    int lost = 0;
    for (int point = 1; point <= Points; ++point) {
        view.takePoint(across(random), down(random));
        QElapsedTimer wait;
        wait.start();
        while (view.session().site()->locationCount < point - lost && wait.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (view.session().site()->locationCount < point - lost) {
            std::fprintf(stderr, "soak: point %d was not committed within a minute\n", point);
            ++lost;
        }
        if (point == EarlyPoint)
            early = bench::residentKb();
    }
    const long late = bench::residentKb();
    const double measuring = static_cast<double>(elapsed.elapsed()) / 1000.0;

    const SiteResult<> saved = view.session().saveSiteData(
        BlankSignature(), static_cast<std::uint32_t>(std::time(nullptr)));
    if (!saved) {
        std::fprintf(stderr, "soak: the save failed: %s\n", saved.error().message.c_str());
        return 1;
    }
    const std::vector<std::uint8_t> data = encodeSurveyData(SurveyStore, SplitRule::SaveSiteData);
    const std::vector<std::uint8_t> file = fileBytes(site);
    const bool bytesMatch =
        file.size() >= data.size() &&
        std::equal(data.begin(), data.end(), file.end() - static_cast<std::ptrdiff_t>(data.size()));
    SiteResult<OpenedSite> reopened = openSite(site);
    RecordList reloaded;
    if (reopened)
        loadPoints(*reopened, reloaded, [](auto...) {});
    const bool recordsMatch = reopened && std::equal(SurveyStore.begin(), SurveyStore.end(),
                                                     reloaded.begin(), reloaded.end(), sameRecord);

    const double growth = early > 0 ? static_cast<double>(late) / static_cast<double>(early) : 0;
    std::printf("points taken:        %d of %d (%d lost), %zu records, %.1f s, %.1f points/s\n",
                view.session().site()->locationCount, Points, lost, SurveyStore.size(), measuring,
                Points / measuring);
    std::printf("resident memory:     %ld kB after point %d, %ld kB after point %d: %.3fx\n", early,
                EarlyPoint, late, Points, growth);
    std::printf("saved file:          %zu bytes; survey data %s the store's encoding; "
                "reloaded records %s the store\n",
                file.size(), bytesMatch ? "ends with" : "DIFFERS FROM",
                recordsMatch ? "equal" : "DIFFER FROM");
    board->stop();
    const bool held = lost == 0 && view.session().site()->locationCount == Points &&
                      growth <= MemoryGrowthLimit && bytesMatch && recordsMatch;
    std::printf("soak %s\n", held ? "held" : "FAILED");
    return held ? 0 : 1;
}
