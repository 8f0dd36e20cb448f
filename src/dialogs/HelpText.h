// The built-in user guide: the entries of the help list, in order; each is a
// heading, a paragraph or a blank line, wrapped by the list.
#pragma once

#include <array>

namespace marlow {

inline constexpr int HelpLineCount = 83;

extern const std::array<const char*, HelpLineCount> HelpLines;

} // namespace marlow
