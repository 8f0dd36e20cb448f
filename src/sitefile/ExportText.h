// Stored texts as other programs read them. A site file keeps its texts as
// bytes in no particular encoding; exports write them as valid UTF-8 that
// still tells the exact bytes: bytes that are UTF-8 already stay as they
// are, every other byte becomes the four characters \xNN, and a backslash
// is doubled so that no escape can be mistaken for text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace marlow {

enum class ControlChars {
    Kept,    // left in, for a writer that escapes them in its own way (JSON)
    Escaped, // each of their bytes as \xNN, so no terminal escape passes
};

// The length in bytes of the control character that starts text at `at`,
// 0 when there is none there. Control characters are C0 (ESC among them),
// DEL and C1 (U+0080..U+009F, two bytes in UTF-8).
std::size_t controlLength(std::string_view text, std::size_t at);

// The stored bytes as valid UTF-8, escaped as above.
std::string escapeText(std::string_view bytes, ControlChars controls);

// The bytes in lower-case hex, two digits each.
std::string hexBytes(std::string_view bytes);

} // namespace marlow
