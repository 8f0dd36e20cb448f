// The program's sounds from its wave resources through Qt Multimedia.
// Without an audio device Qt never reports the end of a sound, so a sound
// played to its end is waited for as long as the clip lasts.
#pragma once

#include "view/widget/Sounds.h"

#include <QSoundEffect>
#include <memory>

namespace marlow {

class QtSounds final : public Sounds {
public:
    QtSounds();
    ~QtSounds() override;

    void playSoundAsync(std::string_view name) override;
    void playSoundSync(std::string_view name) override;

private:
    struct Clip {
        std::unique_ptr<QSoundEffect> effect;
        int lengthMs = 0;
    };
    static Clip load(const char* resourcePath, const char* url);
    // Null for a name that is not one of the program's sounds.
    Clip* clipNamed(std::string_view name);

    Clip m_ping;
    Clip m_redAlert;
};

} // namespace marlow
