// Stored bytes as escaped UTF-8 and as hex.
#include "ExportText.h"

#include <cstdint>

namespace marlow {

namespace {

constexpr char HexDigits[] = "0123456789abcdef";

std::uint8_t byteAt(std::string_view text, std::size_t at) {
    return static_cast<std::uint8_t>(text[at]);
}

void appendHex(std::string& out, std::uint8_t byte) {
    out += HexDigits[byte >> 4];
    out += HexDigits[byte & 0x0F];
}

// The length of the well-formed UTF-8 sequence that starts at `at`, 0 when
// the bytes there are not one: overlong forms, surrogates and code points
// past U+10FFFF are not.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
    const std::uint8_t lead = byteAt(text, at);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    // The range the second byte must lie in; later bytes are 80..BF.
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t next = byteAt(text, at + i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

} // namespace

std::size_t controlLength(std::string_view text, std::size_t at) {
    const std::uint8_t lead = byteAt(text, at);
    if (lead < 0x20 || lead == 0x7F)
        return 1;
    if (lead == 0xC2 && at + 1 < text.size()) {
        const std::uint8_t next = byteAt(text, at + 1);
        if (next >= 0x80 && next <= 0x9F)
            return 2;
    }
    return 0;
}

std::string escapeText(std::string_view bytes, ControlChars controls) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t length = sequenceLength(bytes, at);
        const bool escaped =
            length == 0 || (controls == ControlChars::Escaped && controlLength(bytes, at) != 0);
        if (length == 0)
            length = 1; // one stray byte at a time; the next may start a sequence
        if (escaped) {
            for (std::size_t i = 0; i < length; ++i) {
                out += "\\x";
                appendHex(out, byteAt(bytes, at + i));
            }
        } else if (bytes[at] == '\\') {
            out += "\\\\";
        } else {
            out.append(bytes, at, length);
        }
        at += length;
    }
    return out;
}

std::string hexBytes(std::string_view bytes) {
    std::string out;
    out.reserve(2 * bytes.size());
    for (std::size_t at = 0; at < bytes.size(); ++at)
        appendHex(out, byteAt(bytes, at));
    return out;
}

} // namespace marlow
