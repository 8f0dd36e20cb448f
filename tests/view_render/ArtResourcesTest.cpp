// The pictures and sounds compiled into the program's resources: present,
// of the sizes the view and the shell draw them at, and the sounds
// well-formed RIFF WAVE files. (The cross-hair's pure black on white is
// checked where the map screen combines it.)
#include "view/ArtPaths.h"
#include "view/ScreenPainters.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <gtest/gtest.h>

namespace marlow {
namespace {

TEST(ArtResources, PicturesAndIconsLoadAtTheirSizesAndTheRadarFramesDiffer) {
    const ViewArt art = ViewArt::load();
    EXPECT_EQ(art.crosshair.size(), QSize(32, 32));
    EXPECT_EQ(art.splash.size(), QSize(240, 320));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(art.radar[i].size(), QSize(104, 104)) << i;
        for (int j = i + 1; j < 4; ++j)
            EXPECT_NE(art.radar[i], art.radar[j]) << i << " and " << j;
    }
    for (const char* path : {art::OpenIcon, art::SaveIcon, art::ColorsIcon, art::ZoomInIcon,
                             art::ZoomOutIcon, art::HelpIcon, art::AboutIcon, art::AppIcon}) {
        const QImage image(QString::fromLatin1(path));
        const int side = path == art::AppIcon ? 64 : 16;
        EXPECT_EQ(image.size(), QSize(side, side)) << path;
        EXPECT_TRUE(image.hasAlphaChannel()) << path;
    }
    EXPECT_NE(QImage(art::ZoomInIcon), QImage(art::ZoomOutIcon));
}

TEST(ArtResources, SoundsAreEightBitMonoPcmOfTheirLength) {
    for (const auto& [path, seconds] :
         {std::pair(art::PingSound, 1.7), std::pair(art::RedAlertSound, 1.0)}) {
        QFile file(QString::fromLatin1(path));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path;
        const QByteArray bytes = file.readAll();
        ASSERT_GE(bytes.size(), 44) << path;
        const auto u32 = [&](int at) {
            return qFromLittleEndian<std::uint32_t>(bytes.data() + at);
        };
        const auto u16 = [&](int at) {
            return qFromLittleEndian<std::uint16_t>(bytes.data() + at);
        };
        EXPECT_EQ(bytes.mid(0, 4), "RIFF");
        EXPECT_EQ(u32(4), static_cast<std::uint32_t>(bytes.size() - 8));
        EXPECT_EQ(bytes.mid(8, 8), "WAVEfmt ");
        EXPECT_EQ(u32(16), 16u);
        // PCM, mono, 11025 samples and bytes a second, 1-byte frames of 8 bits.
        EXPECT_EQ(u16(20), 1u);
        EXPECT_EQ(u16(22), 1u);
        EXPECT_EQ(u32(24), 11025u);
        EXPECT_EQ(u32(28), 11025u);
        EXPECT_EQ(u16(32), 1u);
        EXPECT_EQ(u16(34), 8u);
        EXPECT_EQ(bytes.mid(36, 4), "data");
        const std::uint32_t dataSize = u32(40);
        // The data chunk, and its pad byte when its size is odd, end the file.
        EXPECT_EQ(44 + dataSize + dataSize % 2, static_cast<std::uint32_t>(bytes.size()));
        EXPECT_NEAR(dataSize / 11025.0, seconds, 0.01) << path;
        // Audible, and starting and ending at the silent level 128 so that
        // playing it does not click.
        const auto* samples = reinterpret_cast<const std::uint8_t*>(bytes.constData() + 44);
        const auto [low, high] = std::minmax_element(samples, samples + dataSize);
        EXPECT_GT(*high - *low, 120) << path;
        EXPECT_NEAR(samples[0], 128, 2) << path;
        EXPECT_NEAR(samples[dataSize - 1], 128, 2) << path;
    }
}

} // namespace
} // namespace marlow
