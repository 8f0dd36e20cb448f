// marlow: the site-survey recorder.
#include "shell/CMarlowApp.h"

#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv) {
    QElapsedTimer sinceLaunch;
    sinceLaunch.start();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const marlow::Result<marlow::CommandLine> line = marlow::parseCommandLine(arguments);
    if (!line) {
        std::fprintf(stderr, "marlow: %s\nTry \"marlow --help\".\n", line.error().message.c_str());
        return 2;
    }
    if (!line->answer.empty()) {
        std::fputs(line->answer.c_str(), stdout);
        return 0;
    }
    marlow::CMarlowApp app(argc, argv);
    if (!app.initInstance(line->options, sinceLaunch))
        return 1;
    return app.exec();
}
