// The built-in user guide: the lines of the help list, in order.
#pragma once

#include <array>

namespace marlow {

inline constexpr int HelpLineCount = 176;

extern const std::array<const char*, HelpLineCount> HelpLines;

} // namespace marlow
