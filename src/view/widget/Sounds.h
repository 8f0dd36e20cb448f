// The program's two sounds, played by name (matched without regard to
// case): "PING" when a point is taken and "REDALERT" when nothing was heard.
// The program plays its wave resources; tests record what was played.
#pragma once

#include <string_view>

namespace marlow {

class Sounds {
public:
    virtual ~Sounds() = default;
    // Starts the sound and returns at once.
    virtual void playSoundAsync(std::string_view name) = 0;
    // Returns when the sound has ended, with user input held back meanwhile.
    virtual void playSoundSync(std::string_view name) = 0;
};

} // namespace marlow
