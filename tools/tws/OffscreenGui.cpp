// The tool's offscreen application.
#include "OffscreenGui.h"

#include <iostream>

namespace marlow::tws {

namespace {

void keepSeriousMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "tws: " << message.toStdString() << '\n';
}

// Chooses the platform and the messages before the application is made
// from the argument count it passes on.
int& preparedArgc(int& argc) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(keepSeriousMessages);
    return argc;
}

} // namespace

OffscreenGui::OffscreenGui() : m_application(preparedArgc(m_argc), m_argv) {}

} // namespace marlow::tws
