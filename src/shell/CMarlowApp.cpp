// Instance initialisation: the document, the frame with its view, the link
// start-up, the demo board, and the window shown.
#include "shell/CMarlowApp.h"

#include "shell/DemoBoard.h"
#include "shell/ProgramStatics.h"
#include "view/ArtPaths.h"

#include <QIcon>
#include <cstdio>

namespace marlow {

namespace {

// The sample office site that the build makes.
constexpr const char* DemoSitePath = MARLOW_DEMO_SITE;

} // namespace

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
        m_demoBoard = std::move(demoBoard).value();
        link.device = m_demoBoard->devicePath();
        if (site.empty())
            site = DemoSitePath;
        question = KeepPointsQuestion::WhenPointsStored;
    }

    m_document = std::make_unique<CMarlowDoc>();
    m_frame = std::make_unique<CMainFrame>(programContext(m_boxes, m_sounds));
    CMarlowView* view = m_frame->view();
    if (m_demoBoard)
        view->setPointListener([board = m_demoBoard.get()](std::int32_t x, std::int32_t y) {
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
