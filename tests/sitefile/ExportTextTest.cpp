// Stored texts as exports write them: well-formed UTF-8 kept, every other
// byte and, where asked, every control character as \xNN, backslashes
// doubled.
#include "sitefile/ExportText.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace marlow {
namespace {

TEST(ExportText, KeepsUtf8AndEscapesEverythingElse) {
    // The stored bytes, the text with control characters kept, and with them
    // escaped.
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"caf\xc3\xa9 \xe0\xa0\x80", "caf\xc3\xa9 \xe0\xa0\x80", "caf\xc3\xa9 \xe0\xa0\x80"},
        {"\xf0\x9f\x93\xb6", "\xf0\x9f\x93\xb6", "\xf0\x9f\x93\xb6"},
        {"a\\xff", "a\\\\xff", "a\\\\xff"},
        {"\xff\xfe", "\\xff\\xfe", "\\xff\\xfe"},
        {"\x80", "\\x80", "\\x80"},                             // a lone continuation byte
        {"\xc0\xaf", "\\xc0\\xaf", "\\xc0\\xaf"},               // an overlong '/'
        {"\xed\xa0\x80", "\\xed\\xa0\\x80", "\\xed\\xa0\\x80"}, // a surrogate
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80", "\\xf4\\x90\\x80\\x80"}, // past U+10FFFF
        {"\xf5!", "\\xf5!", "\\xf5!"},
        {"\xe2\x82x\xe2\x82", "\\xe2\\x82x\\xe2\\x82", "\\xe2\\x82x\\xe2\\x82"}, // cut short
        {"\x1b[2J\t\x7f", "\x1b[2J\t\x7f", "\\x1b[2J\\x09\\x7f"},
        {"\xc2\x9b\xc2\x80\xc2\xa0", "\xc2\x9b\xc2\x80\xc2\xa0", "\\xc2\\x9b\\xc2\\x80\xc2\xa0"},
    };
    for (const auto& [bytes, kept, escaped] : cases) {
        EXPECT_EQ(escapeText(bytes, ControlChars::Kept), kept) << hexBytes(bytes);
        EXPECT_EQ(escapeText(bytes, ControlChars::Escaped), escaped) << hexBytes(bytes);
    }
    EXPECT_EQ(hexBytes(std::string_view("\0\xab\x7f", 3)), "00ab7f");
}

} // namespace
} // namespace marlow
