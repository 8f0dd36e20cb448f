// What the link tells the rest of the program. Both calls come on the link's
// reader thread.
#pragma once

namespace marlow {

class LinkEvents {
public:
    virtual ~LinkEvents() = default;
    // Something the view shows has changed: the application posts MARL_DRAW.
    virtual void notifyDraw() = 0;
    // The board reports a low battery: the application shows
    // "WARNING: Product Battery is Low!" and returns once the box is closed.
    virtual void warnLowBattery() = 0;
};

} // namespace marlow
