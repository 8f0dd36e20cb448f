// Instance initialisation: the frame with its view, the link
// start-up, the demo board, and the window shown.
#include "shell/CMarlowApp.h"

#include "base/Version.h"
#include "shell/DemoBoard.h"
#include "shell/DemoSite.h"
#include "shell/ProgramStatics.h"
#include "view/ArtPaths.h"

#include <QFile>
#include <QIcon>
#include <cstdio>

namespace marlow {

CMarlowApp::CMarlowApp(int& argc, char** argv) : QApplication(argc, argv) {
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
            site = *sample;
        }
        m_demoBoard = std::move(demoBoard).value();
        link.device = m_demoBoard->devicePath();
        question = KeepPointsQuestion::WhenPointsStored;
    }

    m_frame = std::make_unique<CMainFrame>(programContext(m_boxes, m_sounds));
    CMarlowView* view = m_frame->view();
    if (m_demoBoard)
        view->session().setPointListener(
            [board = m_demoBoard.get()](std::int32_t x, std::int32_t y) {
                board->setSurveyPosition({static_cast<double>(x), static_cast<double>(y)});
            });
    view->initialUpdate(m_registry, link);

    m_frame->show();
    m_frame->repaint();
    if (options.reportStartup)
        std::fprintf(stderr, "marlow: window shown %lld ms after launch\n",
                     static_cast<long long>(sinceLaunch.elapsed()));

    if (!site.empty())
        view->openSiteFile(site, question);
    return true;
}

} // namespace marlow
