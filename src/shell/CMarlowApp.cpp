// Instance initialisation: the frame with its view, the link
// start-up, the demo board, and the window shown.
#include "shell/CMarlowApp.h"

#include "base/Version.h"
#include "shell/AdapterBoard.h"
#include "shell/DemoBoard.h"
#include "shell/DemoSite.h"
#include "shell/ProgramStatics.h"
#include "view/ArtPaths.h"

#include <QFile>
#include <QIcon>
#include <QStandardPaths>
#include <cstdio>
#include <filesystem>

namespace marlow {

CMarlowApp::CMarlowApp(int& argc, char** argv) : QApplication(argc, argv) {
    // The settings (the window's size and place) go to marlow/marlow.conf
    // in the user's configuration folder.
    setOrganizationName(QStringLiteral("marlow"));
    setApplicationName(QStringLiteral("marlow"));
    setApplicationDisplayName(QString::fromLatin1(AppTitle));
    setApplicationVersion(QString::fromLatin1(ProgramVersion));
    setWindowIcon(QIcon(QString::fromLatin1(art::AppIcon)));
}

CMarlowApp::~CMarlowApp() = default;

bool CMarlowApp::initInstance(const StartOptions& options, const QElapsedTimer& sinceLaunch) {
    // Nothing here needs a sockets layer set up first, so that step of the
    // start-up always succeeds.
    LinkStartOptions link;
    link.device = options.port;
    std::string site = options.sitePath;
    KeepPointsQuestion question = KeepPointsQuestion::Always;
    if (options.demo) {
        Result<std::unique_ptr<board::BoardServer>> demoBoard = startDemoBoard();
        if (!demoBoard) {
            std::fprintf(stderr, "marlow: the demo board did not start: %s\n",
                         demoBoard.error().message.c_str());
            return false;
        }
        if (site.empty()) {
            const Result<std::string> sample =
                findDemoSite(QFile::encodeName(applicationDirPath()).toStdString());
            if (!sample) {
                std::fprintf(stderr, "marlow: %s\n", sample.error().message.c_str());
                return false;
            }
            // The demo works on the surveyor's own copy, so that its points
            // can be saved; without one it shows the sample itself.
            const std::filesystem::path data =
                QFile::encodeName(
                    QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                    QStringLiteral("/marlow"))
                    .toStdString();
            const Result<std::string> copy = demoWorkingCopy(*sample, data);
            if (!copy)
                std::fprintf(stderr, "marlow: %s\n", copy.error().message.c_str());
            site = copy ? *copy : *sample;
        }
        m_demoBoard = std::move(demoBoard).value();
        link.device = m_demoBoard->devicePath();
        question = KeepPointsQuestion::WhenPointsStored;
    }

    m_frame = std::make_unique<CMainFrame>(programContext(m_boxes, m_sounds));
    CMarlowView* view = m_frame->view();
    if (options.wifi) {
        startWifi(options, link);
        // The adapter stands in for the board: the surveyor knows it by name.
        view->session().setBoardName(m_wifiBoard ? m_wifiBoard->adapter().name
                                     : options.wifiInterface.empty()
                                         ? std::string("the Wi-Fi adapter")
                                         : options.wifiInterface);
    }
    if (board::BoardServer* board = localBoard())
        view->session().setPointListener([board](std::int32_t x, std::int32_t y) {
            board->setSurveyPosition({static_cast<double>(x), static_cast<double>(y)});
        });
    // Without the adapter's board the program still opens and saves sites.
    if (!options.wifi || m_wifiBoard)
        view->initialUpdate(m_registry, link);

    m_frame->restorePlacement();
    m_frame->show();
    m_frame->repaint();
    if (options.reportStartup)
        std::fprintf(stderr, "marlow: window shown %lld ms after launch\n",
                     static_cast<long long>(sinceLaunch.elapsed()));

    if (!site.empty()) {
        // Named before the open, whose questions may wait for the surveyor:
        // the demo's sample is looked for in two places, and a launcher
        // passes a path as it likes.
        if (options.reportStartup)
            std::fprintf(stderr, "marlow: opening site %s\n", site.c_str());
        view->openSiteFile(site, question);
    }
    return true;
}

namespace {

MessageBoxRequest warning(std::string text) {
    MessageBoxRequest request;
    request.text = std::move(text);
    request.caption = AppTitle;
    request.icon = BoxIcon::Exclamation;
    return request;
}

} // namespace

board::BoardServer* CMarlowApp::localBoard() {
    if (m_demoBoard)
        return m_demoBoard.get();
    return m_wifiBoard ? &m_wifiBoard->server() : nullptr;
}

void CMarlowApp::startWifi(const StartOptions& options, LinkStartOptions& link) {
    // The observer runs on the board's thread; the surveyor is told on ours.
    Result<std::unique_ptr<wifi::WifiBoard>> started =
        startAdapterBoard(options, [this](const wifi::Sweep& sweep, auto) {
            QMetaObject::invokeMethod(
                this, [this, sweep] { reportSweep(sweep); }, Qt::QueuedConnection);
        });
    if (!started) {
        std::fprintf(stderr, "marlow: %s\n", started.error().message.c_str());
        showOnceShown(warning("Cannot measure with the Wi-Fi adapter: " + started.error().message));
        return;
    }
    m_wifiBoard = std::move(started).value();
    link.device = m_wifiBoard->server().devicePath();
    const std::string mode = m_wifiBoard->modeDescription();
    std::fprintf(stderr, "marlow: %s\n", mode.c_str());
    // Points then take as long as the system's next scan: say why.
    if (m_wifiBoard->startMode() == wifi::ScanMode::Passive) {
        MessageBoxRequest notice = warning(mode);
        notice.icon = BoxIcon::Information;
        showOnceShown(notice);
    }
}

void CMarlowApp::showOnceShown(const MessageBoxRequest& request) {
    QMetaObject::invokeMethod(
        this, [this, request] { m_boxes.show(m_frame.get(), request); }, Qt::QueuedConnection);
}

void CMarlowApp::reportSweep(const wifi::Sweep& sweep) {
    for (const std::string& note : sweep.notes)
        std::fprintf(stderr, "marlow: %s\n", note.c_str());
    if (sweep.dropped > 0)
        std::fprintf(stderr, "marlow: %zu access points beyond the first %zu were left out\n",
                     sweep.dropped, wifi::MaxBssPerSweep);
    // Shown once: the points taken stay, and later taps store empty points.
    if (sweep.adapterGone && !m_adapterGoneShown) {
        m_adapterGoneShown = true;
        m_boxes.show(m_frame.get(),
                     warning("The Wi-Fi adapter " + m_wifiBoard->adapter().name +
                             " is gone. The points taken are kept; save the survey, then "
                             "reconnect the adapter and start the program again."));
    }
}

} // namespace marlow
