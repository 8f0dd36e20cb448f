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
    // The demo's board outlives the frame, whose link talks to it.
    std::unique_ptr<board::BoardServer> m_demoBoard;
    std::unique_ptr<CMainFrame> m_frame;
};

} // namespace marlow
