// The main frame: its layout, the command bar with its keys, scaling with
// the window, the status refresh, the note after a save, the window's
// placement and the shutdown on minimise.
#include "shell/CMainFrame.h"

#include "dialogs/DialogUnits.h"
#include "dialogs/Dialogs.h"
#include "shell/CommandIcon.h"
#include "shell/FrameScale.h"
#include "shell/WindowPlacement.h"
#include "view/ArtPaths.h"
#include "view/widget/CommandIds.h"
#include "view/widget/MessageBoxes.h"
#include "view/widget/MessageEvent.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QSettings>
#include <QToolBar>
#include <QVBoxLayout>
#include <cstdint>

namespace marlow {

namespace {

struct CommandButton {
    int id;
    const char* icon;
    // The same picture drawn eight times as large, among the shell's own
    // resources, for larger icons and denser screens.
    const char* largeIcon;
    // The command's prompt, which names the button's action.
    const char* prompt;
    const char* toolTip;
    // The keys that run the command, in QKeySequence's portable text,
    // separated by "; "; the first is shown in the tool tip. None of them is
    // a key the map takes: the arrows, Return, Enter, Space and Escape.
    const char* keys;
};

// In the order of the bar, left to right.
constexpr CommandButton CommandButtons[] = {
    {command::OpenSite, art::OpenIcon, ":/art/large/open.png", "Open a Site", "Open a Site File",
     "Ctrl+O"},
    {command::SaveSiteData, art::SaveIcon, ":/art/large/save.png", "Save Site Data",
     "Save Site File", "Ctrl+S"},
    {command::ColorRanges, art::ColorsIcon, ":/art/large/colors.png", "Color Ranges",
     "RSSI Color Scale", ""},
    {command::ZoomIn, art::ZoomInIcon, ":/art/large/zoomin.png", "Zoom In", "Zoom In",
     "+; Ctrl++; Ctrl+="},
    {command::ZoomOut, art::ZoomOutIcon, ":/art/large/zoomout.png", "Zoom Out", "Zoom Out",
     "-; Ctrl+-"},
    {command::Help, art::HelpIcon, ":/art/large/help.png", "Help", "Help", "F1"},
    {command::About, art::AboutIcon, ":/art/large/about.png", "About", "About", ""},
};

// A message parameter's low 16 bits, read as a signed number.
int signedLowWord(std::uintptr_t value) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFFu));
}

// "Saved N points to FILE", FILE the site file's name without its folder.
QString savedNote(const std::string& path, std::size_t points) {
    const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
    return QStringLiteral("Saved %1 %2 to %3")
        .arg(points)
        .arg(points == 1 ? QStringLiteral("point") : QStringLiteral("points"), name);
}

} // namespace

CMainFrame::CMainFrame(const ViewContext& context) : m_statusMessage(context.statusMessage) {
    setWindowTitle(QString::fromLatin1(AppTitle));
    setWindowIcon(QIcon(QString::fromLatin1(art::AppIcon)));
    setMinimumSize(MinimumFrameSize);

    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    ViewContext viewContext = context;
    viewContext.siteSaved = [this](const std::string& path, std::size_t points) {
        onSiteSaved(path, points);
    };
    m_view = new CMarlowView(viewContext, client);
    m_statusPanes = new StatusPanes(client);
    column->addWidget(m_view, 1);
    column->addWidget(m_statusPanes);
    setCentralWidget(client);
    m_saveNote = new TransientNote(m_view->viewport());

    buildCommandBar();

    auto* exit = new QAction(this);
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    addAction(exit);

    resize(HandheldSize);
    applyScale();
    m_view->setFocus();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::buildCommandBar() {
    m_commandBar = new QToolBar(QStringLiteral("Command bar"), this);
    m_commandBar->setMovable(false);
    m_commandBar->setFloatable(false);
    m_commandBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const CommandButton& button : CommandButtons) {
        QAction* action = m_commandBar->addAction(commandIcon(button.icon, button.largeIcon),
                                                  QString::fromLatin1(button.prompt));
        QList<QKeySequence> keys = QKeySequence::listFromString(QString::fromLatin1(button.keys));
        keys.removeAll(QKeySequence());
        action->setShortcuts(keys);
        const QString toolTip = QString::fromLatin1(button.toolTip);
        action->setToolTip(keys.isEmpty()
                               ? toolTip
                               : QStringLiteral("%1 (%2)").arg(
                                     toolTip, keys.first().toString(QKeySequence::NativeText)));
        action->setData(button.id);
        connect(action, &QAction::triggered, this, [this, id = button.id] { dispatchCommand(id); });
    }
    addToolBar(Qt::BottomToolBarArea, m_commandBar);
}

void CMainFrame::applyScale() {
    const double scale = frameScale(size());
    const int icon = commandIconSize(scale);
    m_commandBar->setIconSize({icon, icon});
    m_statusPanes->setScale(scale);
    m_saveNote->setFont(DialogUnits(scale).font());
}

void CMainFrame::restorePlacement() {
    marlow::restorePlacement(*this, QSettings());
}

void CMainFrame::dispatchCommand(int id) {
    switch (id) {
    case command::OpenSite:
        m_view->openSite();
        break;
    case command::SaveSiteData:
        m_view->saveSiteData();
        break;
    case command::FullRewrite:
        m_view->fullRewrite();
        break;
    case command::ZoomIn:
    case command::ZoomOut:
        m_view->zoom(id == command::ZoomIn);
        break;
    case command::ColorRanges:
        runRssiLegendDialog(this);
        break;
    case command::Help:
        runHelpDialog(this);
        break;
    case command::About:
        runAboutDialog(this);
        break;
    default:
        break;
    }
}

bool CMainFrame::event(QEvent* event) {
    if (event->type() == m_statusMessage) {
        onStatusUpdate(static_cast<const MessageEvent&>(*event));
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::onStatusUpdate(const MessageEvent& message) {
    // Posted only after a point has been committed to an open site; without
    // one there is nothing counted yet.
    const SiteState* site = m_view->session().site();
    const int locations = site ? site->locationCount : 0;
    const int apRecords = site ? site->apRecordCount : 0;
    m_statusPanes->setPaneText(0, QString::asprintf("L: %d", locations));
    m_statusPanes->setPaneText(1, QString::asprintf("P: %d", apRecords));
    m_statusPanes->setPaneText(2, QString::asprintf("X: %d", signedLowWord(message.wParam())));
    m_statusPanes->setPaneText(
        3,
        QString::asprintf("Y: %d", signedLowWord(static_cast<std::uintptr_t>(message.lParam()))));
}

void CMainFrame::onSiteSaved(const std::string& path, std::size_t points) {
    m_saveNote->showText(savedNote(path, points));
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        // Minimising ends the program without asking, as it always has; the
        // journal keeps what is unsaved for the next open.
        m_endingOnMinimise = true;
        m_view->stopLink();
        close();
    }
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    applyScale();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_endingOnMinimise && !m_view->settleUnsavedWork()) {
        event->ignore();
        return;
    }
    QSettings settings;
    savePlacement(*this, settings);
    QMainWindow::closeEvent(event);
}

} // namespace marlow
