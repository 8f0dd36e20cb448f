// Where the program's own pictures and sounds lie among its resources. The
// files are drawn and synthesised at build time by tools/artgen and compiled
// into the view library.
#pragma once

#include <array>

namespace marlow::art {

// The map's 32 x 32 cross-hair, combined with AND: white leaves the map.
inline constexpr char Crosshair[] = ":/art/crosshair.png";
// The survey screen's 104 x 104 radar pictures 139 to 142, in that order.
inline constexpr std::array<const char*, 4> Radar = {":/art/radar139.png", ":/art/radar140.png",
                                                     ":/art/radar141.png", ":/art/radar142.png"};
// The title screen's 240 x 320 splash picture.
inline constexpr char Splash[] = ":/art/splash.png";

// The command bar's 16 x 16 icons, in the order of its buttons.
inline constexpr char OpenIcon[] = ":/art/open.png";
inline constexpr char SaveIcon[] = ":/art/save.png";
inline constexpr char ColorsIcon[] = ":/art/colors.png";
inline constexpr char ZoomInIcon[] = ":/art/zoomin.png";
inline constexpr char ZoomOutIcon[] = ":/art/zoomout.png";
inline constexpr char HelpIcon[] = ":/art/help.png";
inline constexpr char AboutIcon[] = ":/art/about.png";
// The 64 x 64 application icon.
inline constexpr char AppIcon[] = ":/art/app.png";

// The sounds PING (a point is taken) and REDALERT (nothing was heard):
// 8-bit mono PCM at 11025 Hz, about 1.7 s and 1.0 s long. QUrl-based players
// take the "qrc" form.
inline constexpr char PingSound[] = ":/art/ping.wav";
inline constexpr char PingSoundUrl[] = "qrc:/art/ping.wav";
inline constexpr char RedAlertSound[] = ":/art/redalert.wav";
inline constexpr char RedAlertSoundUrl[] = "qrc:/art/redalert.wav";

} // namespace marlow::art
