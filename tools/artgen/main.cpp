// artgen: draws the program's pictures and synthesises its sounds into the
// directory given on the command line, from which they are compiled into
// the program's resources. With --command-icons SCALE it draws only the
// command bar's icons, at SCALE times their 16-pixel size, for the window
// to scale down from when its icons are larger than that; with --app-icon,
// the application icon at one size for the desktop's icon theme.
#include "Icons.h"
#include "Pictures.h"
#include "Sounds.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using namespace marlow::artgen;

using Pictures = std::vector<std::pair<const char*, std::function<QImage()>>>;

Pictures commandIcons(int scale) {
    return {
        {"open.png", [scale] { return openIcon(scale); }},
        {"save.png", [scale] { return saveIcon(scale); }},
        {"colors.png", [scale] { return colorsIcon(scale); }},
        {"zoomin.png", [scale] { return zoomInIcon(scale); }},
        {"zoomout.png", [scale] { return zoomOutIcon(scale); }},
        {"help.png", [scale] { return helpIcon(scale); }},
        {"about.png", [scale] { return aboutIcon(scale); }},
    };
}

Pictures everyPicture() {
    Pictures pictures = {
        {"crosshair.png", crosshairPicture},
        {"radar139.png", [] { return radarPicture(45.0); }},
        {"radar140.png", [] { return radarPicture(135.0); }},
        {"radar141.png", [] { return radarPicture(225.0); }},
        {"radar142.png", [] { return radarPicture(315.0); }},
        {"splash.png", splashPicture},
        {"app.png", [] { return appIcon(AppIconSize); }},
    };
    const Pictures icons = commandIcons(1);
    pictures.insert(pictures.end(), icons.begin(), icons.end());
    return pictures;
}

bool writeSounds(const QDir& dir) {
    const std::pair<const char*, std::function<std::vector<std::uint8_t>()>> sounds[] = {
        {"ping.wav", pingSamples},
        {"redalert.wav", redAlertSamples},
    };
    bool ok = true;
    for (const auto& [name, synthesise] : sounds) {
        if (!writeWave(dir.filePath(QString::fromLatin1(name)).toStdString(), synthesise())) {
            std::fprintf(stderr, "artgen: cannot write %s\n", name);
            ok = false;
        }
    }
    return ok;
}

int writeAppIcon(const char* sizeText, const char* file) {
    bool isNumber = false;
    const int size = QByteArray(sizeText).toInt(&isNumber);
    if (!isNumber || size <= 0) {
        std::fprintf(stderr, "artgen: the icon size is a number of pixels, not %s\n", sizeText);
        return 2;
    }
    if (!appIcon(size).save(QString::fromLocal8Bit(file), "png")) {
        std::fprintf(stderr, "artgen: cannot write %s\n", file);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool appIconOnly = argc == 4 && std::strcmp(argv[1], "--app-icon") == 0;
    if (appIconOnly) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return writeAppIcon(argv[2], argv[3]);
    }
    const bool iconsOnly = argc == 4 && std::strcmp(argv[1], "--command-icons") == 0;
    const int scale = iconsOnly ? std::atoi(argv[2]) : 1;
    if ((argc != 2 && !iconsOnly) || scale < 1) {
        std::fprintf(stderr, "usage: artgen [--command-icons SCALE] OUTPUT-DIRECTORY\n"
                             "       artgen --app-icon SIZE OUTPUT.png\n");
        return 2;
    }
    const char* output = argv[argc - 1];
    // Text in the icons needs the font machinery, but never a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir dir(QString::fromLocal8Bit(output));
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "artgen: cannot create %s\n", output);
        return 1;
    }

    bool ok = true;
    for (const auto& [name, draw] : iconsOnly ? commandIcons(scale) : everyPicture()) {
        if (!draw().save(dir.filePath(QString::fromLatin1(name)), "png")) {
            std::fprintf(stderr, "artgen: cannot write %s\n", name);
            ok = false;
        }
    }
    if (!iconsOnly)
        ok = writeSounds(dir) && ok;
    return ok ? 0 : 1;
}
