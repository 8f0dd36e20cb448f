// How the serial layer tells the user that the board cannot be reached. The
// application shows the text in a message box; tests collect it.
#pragma once

namespace marlow {

inline constexpr const char* CannotOpenMessage = "Cannot Open Connection To Board.";
inline constexpr const char* SetCommStateMessage = "Could not SetCommState";

class LinkMessages {
public:
    virtual ~LinkMessages() = default;
    virtual void showError(const char* text) = 0;
};

} // namespace marlow
