// artgen: draws the program's pictures and synthesises its sounds into the
// directory given on the command line, from which they are compiled into
// the program's resources; with --app-icon, draws the application icon at
// one size for the desktop's icon theme.
#include "Icons.h"
#include "Pictures.h"
#include "Sounds.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

int writeAppIcon(const char* sizeText, const char* file) {
    bool isNumber = false;
    const int size = QByteArray(sizeText).toInt(&isNumber);
    if (!isNumber || size <= 0) {
        std::fprintf(stderr, "artgen: the icon size is a number of pixels, not %s\n", sizeText);
        return 2;
    }
    if (!marlow::artgen::appIcon(size).save(QString::fromLocal8Bit(file), "png")) {
        std::fprintf(stderr, "artgen: cannot write %s\n", file);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    using namespace marlow::artgen;
    const bool appIconOnly = argc == 4 && std::strcmp(argv[1], "--app-icon") == 0;
    if (argc != 2 && !appIconOnly) {
        std::fprintf(stderr, "usage: artgen OUTPUT-DIRECTORY\n"
                             "       artgen --app-icon SIZE OUTPUT.png\n");
        return 2;
    }
    // Text in the icons needs the font machinery, but never a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (appIconOnly)
        return writeAppIcon(argv[2], argv[3]);
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "artgen: cannot create %s\n", argv[1]);
        return 1;
    }

    const std::pair<const char*, std::function<QImage()>> pictures[] = {
        {"crosshair.png", crosshairPicture},
        {"radar139.png", [] { return radarPicture(45.0); }},
        {"radar140.png", [] { return radarPicture(135.0); }},
        {"radar141.png", [] { return radarPicture(225.0); }},
        {"radar142.png", [] { return radarPicture(315.0); }},
        {"splash.png", splashPicture},
        {"open.png", openIcon},
        {"save.png", saveIcon},
        {"colors.png", colorsIcon},
        {"zoomin.png", zoomInIcon},
        {"zoomout.png", zoomOutIcon},
        {"help.png", helpIcon},
        {"about.png", aboutIcon},
        {"app.png", [] { return appIcon(AppIconSize); }},
    };
    bool ok = true;
    for (const auto& [name, draw] : pictures) {
        if (!draw().save(dir.filePath(QString::fromLatin1(name)), "png")) {
            std::fprintf(stderr, "artgen: cannot write %s\n", name);
            ok = false;
        }
    }
    const std::pair<const char*, std::function<std::vector<std::uint8_t>()>> sounds[] = {
        {"ping.wav", pingSamples},
        {"redalert.wav", redAlertSamples},
    };
    for (const auto& [name, synthesise] : sounds) {
        if (!writeWave(dir.filePath(QString::fromLatin1(name)).toStdString(), synthesise())) {
            std::fprintf(stderr, "artgen: cannot write %s\n", name);
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
