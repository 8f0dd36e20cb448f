// The RSSI colour scale: the six bands that colour survey points, each with
// the pen and brush of its mark. The one definition of these colours; the
// map marks and the colour legend both read them from here.
#pragma once

#include <array>
#include <cstdint>

namespace marlow {

struct RgbColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    // The platform's 32-bit colour value, 0x00BBGGRR.
    constexpr std::uint32_t colorRef() const {
        return static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
               (static_cast<std::uint32_t>(blue) << 16);
    }
    bool operator==(const RgbColor&) const = default;
};

// The colours of the view's drawing tools.
namespace toolColor {
inline constexpr RgbColor Black{0, 0, 0};
inline constexpr RgbColor White{255, 255, 255};
inline constexpr RgbColor Red{255, 0, 0};
inline constexpr RgbColor Orange{255, 128, 0};
inline constexpr RgbColor Yellow{255, 255, 0};
inline constexpr RgbColor Green{0, 255, 0};
inline constexpr RgbColor Blue{0, 0, 255};
inline constexpr RgbColor DarkGreen{0, 128, 0};
} // namespace toolColor

struct RssiBand {
    int number = 0; // 1 (strongest) to 6
    RgbColor pen;
    int penWidth = 1;
    RgbColor brush;
};

inline constexpr int RssiBandCount = 6;

// Bands 1 to 6 in order.
inline constexpr std::array<RssiBand, RssiBandCount> RssiBands = {{
    {1, toolColor::Red, 1, toolColor::Red},
    {2, toolColor::Orange, 1, toolColor::Orange},
    {3, toolColor::Yellow, 1, toolColor::Yellow},
    {4, toolColor::Green, 1, toolColor::Green},
    {5, toolColor::Blue, 1, toolColor::Blue},
    {6, toolColor::Black, 2, toolColor::Black},
}};

// The band of an RSSI in dBm: greater than -40 is band 1, greater than -50
// band 2, and so on down to band 6 for -80 and below (no lower limit).
int rssiBandNumber(int rssi);
const RssiBand& rssiBand(int rssi);

} // namespace marlow
