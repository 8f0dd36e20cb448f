// Painting the view's three screens. Each function draws the whole client
// rectangle for its screen; the title and survey screens are laid out for a
// 240-pixel-wide screen and scaled uniformly to the client's width.
#pragma once

#include "store/RecordList.h"
#include "view/MapViewport.h"
#include "view/SitePicture.h"

#include <QImage>
#include <QPainter>
#include <QRect>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace marlow {

// The pictures the view draws with, our own drawings from the program's
// resources: the 32 x 32 cross-hair, the four 104 x 104 radar pictures
// (139 to 142) and the optional title splash (may be null).
struct ViewArt {
    QImage crosshair;
    QImage radar[4];
    QImage splash;

    static ViewArt load();
};

// One access point of the survey screen's list.
struct SurveyRow {
    int channel = 0;
    std::string macText;
    std::string ssid;
    int averageRssi = 0; // rssi / sampleCount, toward zero, as 16 bits
};

// The survey screen's rows for the access points of a scan list, in its
// order.
std::vector<SurveyRow> surveyRows(const RecordList& scan);

// The map screen's frame, kept by the caller between paints: the image in
// device pixels and what it shows. A repaint of an unchanged view (an
// expose, a notice drawn over the map, the cross-hair) draws the image
// again without converting the plan, and a new mark is drawn into it; a
// pan at the same zoom moves the image's pixels and draws only the part
// that comes into view; a zoom, a resize or a removed mark makes it anew,
// with no allocation while its size stays.
struct MapFrame {
    QImage image;
    Rect destination; // in device pixels
    FrameGrid grid;
    std::uint64_t stamp = 0; // the picture's stamp when drawn; 0: nothing drawn
    std::size_t marks = 0;   // how many of its marks the image shows
};

// The visible range of the picture in its own proportions with its marks,
// white margins (all white when no site is open or the visible range is
// empty) and the cross-hair combined with AND at the centre.
void paintMapScreen(QPainter& painter, const QRect& client, const MapViewport& viewport,
                    const SitePicture* picture, const QImage& crosshair, MapFrame& frame);

// radar: the picture of this paint (the caller advances the radar frame);
// scanChannel: the channel highlighted (none when outside 1..14); notice:
// shown at the bottom, over the rows, unless empty.
void paintSurveyScreen(QPainter& painter, const QRect& client, const QImage& radar, int scanChannel,
                       const std::vector<SurveyRow>& rows, const QString& notice = {});

// notice: shown under the title, over the splash, unless empty.
void paintTitleScreen(QPainter& painter, const QRect& client, const QImage& splash,
                      const std::string& firmware, const std::string& serial,
                      const QString& notice = {});

} // namespace marlow
