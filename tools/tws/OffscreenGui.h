// The application object that drawing text needs, for a tool that never
// shows a window: on the offscreen platform whatever desktop there is, with
// Qt's notes about the desktop it lacks kept from the user (critical
// messages still reach standard error).
#pragma once

#include <QGuiApplication>

namespace marlow::tws {

class OffscreenGui {
public:
    OffscreenGui();
    OffscreenGui(const OffscreenGui&) = delete;
    OffscreenGui& operator=(const OffscreenGui&) = delete;

private:
    // Set before the application below is made from them.
    int m_argc = 1;
    char m_name[4] = "tws";
    char* m_argv[2] = {m_name, nullptr};
    QGuiApplication m_application;
};

} // namespace marlow::tws
