// The wave resources played through QSoundEffect, with their lengths read
// from their RIFF headers.
#include "shell/QtSounds.h"

#include "view/ArtPaths.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QUrl>
#include <cstdint>

namespace marlow {

namespace {

std::uint32_t readU32(const QByteArray& bytes, qsizetype at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

// The playing time of a RIFF WAVE file: its data chunk's size over the byte
// rate of its format chunk. 0 when the file is not such a file.
int wavLengthMs(const QByteArray& wav) {
    constexpr qsizetype RiffHeader = 12;
    constexpr qsizetype ChunkHeader = 8;
    constexpr qsizetype ByteRateOffset = 8;
    if (wav.size() < RiffHeader || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE")
        return 0;
    std::uint32_t byteRate = 0;
    for (qsizetype at = RiffHeader; at + ChunkHeader <= wav.size();) {
        const QByteArray id = wav.mid(at, 4);
        const std::uint32_t size = readU32(wav, at + 4);
        if (id == "fmt " && at + ChunkHeader + ByteRateOffset + 4 <= wav.size())
            byteRate = readU32(wav, at + ChunkHeader + ByteRateOffset);
        if (id == "data")
            return byteRate == 0 ? 0 : static_cast<int>(std::uint64_t{size} * 1000 / byteRate);
        // Chunks are padded to an even length.
        at += ChunkHeader + static_cast<qsizetype>(size) + (size & 1u);
    }
    return 0;
}

bool sameName(std::string_view name, std::string_view upper) {
    if (name.size() != upper.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c =
            name[i] >= 'a' && name[i] <= 'z' ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
        if (c != upper[i])
            return false;
    }
    return true;
}

} // namespace

QtSounds::QtSounds()
    : m_ping(load(art::PingSound, art::PingSoundUrl)),
      m_redAlert(load(art::RedAlertSound, art::RedAlertSoundUrl)) {}

QtSounds::~QtSounds() = default;

QtSounds::Clip QtSounds::load(const char* resourcePath, const char* url) {
    Clip clip;
    clip.effect = std::make_unique<QSoundEffect>();
    clip.effect->setSource(QUrl(QString::fromLatin1(url)));
    QFile file(QString::fromLatin1(resourcePath));
    if (file.open(QIODevice::ReadOnly))
        clip.lengthMs = wavLengthMs(file.readAll());
    return clip;
}

QtSounds::Clip* QtSounds::clipNamed(std::string_view name) {
    if (sameName(name, "PING"))
        return &m_ping;
    if (sameName(name, "REDALERT"))
        return &m_redAlert;
    return nullptr;
}

void QtSounds::playSoundAsync(std::string_view name) {
    if (Clip* clip = clipNamed(name))
        clip->effect->play();
}

void QtSounds::playSoundSync(std::string_view name) {
    Clip* clip = clipNamed(name);
    if (!clip)
        return;
    clip->effect->play();
    // The user-interface thread waits for the clip as a blocking player
    // would: posted messages are still handled, user input is held back.
    QEventLoop wait;
    QTimer::singleShot(clip->lengthMs, &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace marlow
