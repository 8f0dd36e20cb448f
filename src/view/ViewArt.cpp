// Loading the view's pictures from the program's resources.
#include "view/ArtPaths.h"
#include "view/ScreenPainters.h"

namespace marlow {

ViewArt ViewArt::load() {
    ViewArt art;
    // 32-bit so that the AND with the map works on whole pixels.
    art.crosshair =
        QImage(QString::fromLatin1(art::Crosshair)).convertToFormat(QImage::Format_RGB32);
    for (std::size_t i = 0; i < art::Radar.size(); ++i)
        art.radar[i] = QImage(QString::fromLatin1(art::Radar[i]));
    art.splash = QImage(QString::fromLatin1(art::Splash));
    return art;
}

} // namespace marlow
