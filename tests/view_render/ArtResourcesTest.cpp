// The pictures and sounds compiled into the program's resources: present,
// of the sizes the view and the shell draw them at, the cross-hair pure
// black and white, and the sounds well-formed RIFF WAVE files.
#include "view/ArtPaths.h"
#include "view/ScreenPainters.h"

#include <QFile>
#include <QImage>
#include <QtEndian>
#include <algorithm>
#include <gtest/gtest.h>

namespace marlow {
namespace {

TEST(ArtResources, ViewPicturesLoadAtTheirSizes) {
    const ViewArt art = ViewArt::load();
    EXPECT_EQ(art.crosshair.size(), QSize(32, 32));
    EXPECT_EQ(art.crosshair.format(), QImage::Format_RGB32);
    for (const QImage& radar : art.radar)
        EXPECT_EQ(radar.size(), QSize(104, 104));
    EXPECT_EQ(art.splash.size(), QSize(240, 320));
}

TEST(ArtResources, RadarFramesShowFourDifferentSweeps) {
    const ViewArt art = ViewArt::load();
    for (int i = 0; i < 4; ++i) {
        for (int j = i + 1; j < 4; ++j)
            EXPECT_NE(art.radar[i], art.radar[j]) << i << " and " << j;
    }
}

TEST(ArtResources, CrosshairIsARingOfPureBlackOnPureWhite) {
    const QImage crosshair = ViewArt::load().crosshair;
    int black = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb c = crosshair.pixel(x, y);
            ASSERT_TRUE(c == qRgb(0, 0, 0) || c == qRgb(255, 255, 255)) << x << "," << y;
            black += c == qRgb(0, 0, 0) ? 1 : 0;
        }
    }
    EXPECT_GT(black, 200);
    // The ring about 30 pixels across around pixel (16, 16), white at the
    // centre and in the corners.
    const QPoint ring[] = {{16, 2}, {16, 30}, {2, 16}, {30, 16}, {6, 6}, {26, 26}};
    for (const QPoint& p : ring)
        EXPECT_EQ(crosshair.pixel(p), qRgb(0, 0, 0)) << p.x() << "," << p.y();
    const QPoint clear[] = {{16, 16}, {0, 0}, {31, 0}, {0, 31}, {31, 31}, {16, 0}, {20, 20}};
    for (const QPoint& p : clear)
        EXPECT_EQ(crosshair.pixel(p), qRgb(255, 255, 255)) << p.x() << "," << p.y();
}

struct IconCase {
    const char* path;
    int size;
};

TEST(ArtResources, IconsLoadAtTheirSizes) {
    const IconCase icons[] = {{art::OpenIcon, 16},   {art::SaveIcon, 16},    {art::ColorsIcon, 16},
                              {art::ZoomInIcon, 16}, {art::ZoomOutIcon, 16}, {art::HelpIcon, 16},
                              {art::AboutIcon, 16},  {art::AppIcon, 64}};
    for (const IconCase& icon : icons) {
        const QImage image(QString::fromLatin1(icon.path));
        EXPECT_EQ(image.size(), QSize(icon.size, icon.size)) << icon.path;
        EXPECT_TRUE(image.hasAlphaChannel()) << icon.path;
    }
    EXPECT_NE(QImage(art::ZoomInIcon), QImage(art::ZoomOutIcon));
}

struct WaveCase {
    const char* path;
    double seconds;
};

std::uint32_t u32At(const QByteArray& bytes, int at) {
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
}
std::uint16_t u16At(const QByteArray& bytes, int at) {
    return qFromLittleEndian<std::uint16_t>(bytes.constData() + at);
}

TEST(ArtResources, SoundsAreEightBitMonoPcmOfTheirLength) {
    const WaveCase sounds[] = {{art::PingSound, 1.7}, {art::RedAlertSound, 1.0}};
    for (const WaveCase& sound : sounds) {
        QFile file(QString::fromLatin1(sound.path));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << sound.path;
        const QByteArray bytes = file.readAll();
        ASSERT_GE(bytes.size(), 44) << sound.path;
        EXPECT_EQ(bytes.mid(0, 4), "RIFF");
        EXPECT_EQ(u32At(bytes, 4), static_cast<std::uint32_t>(bytes.size() - 8));
        EXPECT_EQ(bytes.mid(8, 4), "WAVE");
        EXPECT_EQ(bytes.mid(12, 4), "fmt ");
        EXPECT_EQ(u32At(bytes, 16), 16u);
        EXPECT_EQ(u16At(bytes, 20), 1u);     // PCM
        EXPECT_EQ(u16At(bytes, 22), 1u);     // mono
        EXPECT_EQ(u32At(bytes, 24), 11025u); // samples per second
        EXPECT_EQ(u32At(bytes, 28), 11025u); // bytes per second
        EXPECT_EQ(u16At(bytes, 32), 1u);     // bytes per sample frame
        EXPECT_EQ(u16At(bytes, 34), 8u);     // bits per sample
        EXPECT_EQ(bytes.mid(36, 4), "data");
        const std::uint32_t dataSize = u32At(bytes, 40);
        // The data chunk, and its pad byte when its size is odd, end the file.
        EXPECT_EQ(44 + dataSize + dataSize % 2, static_cast<std::uint32_t>(bytes.size()));
        EXPECT_NEAR(dataSize / 11025.0, sound.seconds, 0.01) << sound.path;

        // Audible, and starting and ending at the silent level 128 so that
        // playing it does not click.
        const auto* samples = reinterpret_cast<const std::uint8_t*>(bytes.constData() + 44);
        const auto [low, high] = std::minmax_element(samples, samples + dataSize);
        EXPECT_GT(*high - *low, 120) << sound.path;
        EXPECT_NEAR(samples[0], 128, 2) << sound.path;
        EXPECT_NEAR(samples[dataSize - 1], 128, 2) << sound.path;
    }
}

} // namespace
} // namespace marlow
