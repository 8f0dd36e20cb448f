// CMarlowApp: the application object. Its instance initialisation makes the
// main frame with the view, runs the view's initial update
// (which starts the analyzer link) and shows the frame; the message loop
// then runs until the frame closes.
#pragma once

#include "board/BoardServer.h"
#include "link/serial/SysfsRegistry.h"
#include "shell/CMainFrame.h"
#include "shell/CommandLine.h"
#include "shell/QtMessageBoxes.h"
#include "shell/QtSounds.h"
#include "wifi/WifiBoard.h"

#include <QApplication>
#include <QElapsedTimer>
#include <memory>

namespace marlow {

class CMarlowApp final : public QApplication {
public:
    CMarlowApp(int& argc, char** argv);
    ~CMarlowApp() override;

    // False when the program is to end at once.
    bool initInstance(const StartOptions& options, const QElapsedTimer& sinceLaunch);

private:
    QtMessageBoxes m_boxes;
    QtSounds m_sounds;
    SysfsRegistry m_registry;
    // Starts the Wi-Fi adapter's board and points the link at it; tells the
    // surveyor when it cannot start, and the link then stays without a board.
    void startWifi(const StartOptions& options, LinkStartOptions& link);
    // The board served in this process, if any: the demo's or the adapter's.
    board::BoardServer* localBoard();
    // Shows the box once the message loop runs, over the window shown.
    void showOnceShown(const MessageBoxRequest& request);
    // On the UI thread: what a sweep of the adapter should tell the surveyor.
    void reportSweep(const wifi::Sweep& sweep);

    // The boards outlive the frame, whose link talks to them.
    std::unique_ptr<board::BoardServer> m_demoBoard;
    std::unique_ptr<wifi::WifiBoard> m_wifiBoard;
    bool m_adapterGoneShown = false;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace marlow
