// How the serial layer tells the user that the board cannot be reached. The
// application shows the text in a message box; tests collect it.
#pragma once

#include <string>

namespace marlow {

inline constexpr const char* CannotOpenMessage = "Cannot Open Connection To Board.";
inline constexpr const char* SetCommStateMessage = "Could not SetCommState";

class LinkMessages {
public:
    virtual ~LinkMessages() = default;
    // detail names the device and the system's reason.
    virtual void showError(const char* text, const std::string& detail) = 0;
};

} // namespace marlow
