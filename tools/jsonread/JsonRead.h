// Reading the tools' JSON formats strictly: a mistake ends the reading with
// an error that names the field it is about ("bss[2].elements: ...").
// A format's reader works on Fields of each object, which refuse unknown keys
// so that a misspelt field is not silently ignored, and throws Invalid at the
// first mistake; parseWith and loadFile turn that into a Result.
#pragma once

#include "base/Result.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace marlow::jsonread {

using Json = nlohmann::json;
using Bytes = std::vector<std::uint8_t>;
// The six bytes of a MAC address, as MacAddress holds them.
using Mac = std::array<std::uint8_t, 6>;

// Ends the reading: the field and what is wrong with it.
struct Invalid {
    std::string message;
};

// Throws "where: problem", or the problem alone where there is no where.
[[noreturn]] void invalid(const std::string& where, const std::string& problem);

// Deeper than any of the formats nests, and shallow enough that nothing
// that walks a value recursively (a dump, a copy, a comparison) can run out
// of stack on what was read.
constexpr int MaxDepth = 64;

// The JSON text as a value. Throws Invalid at the first object or array
// nested deeper than MaxDepth levels, which ends the parse there, and
// Json::parse_error on a syntax error.
Json parseBounded(std::string_view text);

// A value as an error shows it: a scalar, cut short, or what kind of
// container it is (whose text could run long).
std::string shortDump(const Json& value);

// nlohmann's message without its "[json.exception.parse_error.101] " tag:
// "parse error at line 1, column 5: syntax error ...".
std::string syntaxError(const Json::parse_error& failure);

enum class HexCase { Lower, Upper };

// Pairs of hex digits, each pair after the first preceded by the separator
// when there is one.
std::string hexText(std::span<const std::uint8_t> bytes, char separator = '\0',
                    HexCase digits = HexCase::Lower);
// The inverse of hexText, hex digits in either case.
std::optional<Bytes> hexBytes(std::string_view text, char separator = '\0');
// "00:11:22:33:44:55", hex digits in either case.
std::optional<Mac> parseMac(std::string_view text);

// The fields of one JSON object, and no others. Each typed reader comes as
// required and, given a fallback for when the key is absent, optional.
class Fields {
public:
    Fields(const Json& object, std::string where, std::initializer_list<std::string_view> keys);

    const Json* optional(const char* key) const;
    const Json& required(const char* key) const;
    // How errors name the field, and an element of the array it holds.
    std::string name(const char* key) const;
    std::string name(const char* key, std::size_t index) const;

    // Any finite number.
    double number(const char* key) const;
    double number(const char* key, double min, double max) const;
    double number(const char* key, double fallback, double min, double max) const;

    template <typename Integer>
    Integer integer(const char* key, Integer min = std::numeric_limits<Integer>::min(),
                    Integer max = std::numeric_limits<Integer>::max()) const {
        return integerIn(name(key), required(key), min, max);
    }
    template <typename Integer>
    Integer integer(const char* key, Integer fallback, Integer min, Integer max) const {
        const Json* value = optional(key);
        return value ? integerIn(name(key), *value, min, max) : fallback;
    }

    bool boolean(const char* key) const;

    // Any string.
    std::string text(const char* key) const;
    // A string bound for a fixed-size C string: at most maxLength bytes and
    // no zero byte.
    std::string text(const char* key, std::size_t maxLength) const;
    std::string text(const char* key, const std::string& fallback, std::size_t maxLength) const;
    static std::string textIn(const std::string& where, const Json& value);

    // A required array.
    const Json& array(const char* key) const;

private:
    template <typename Integer>
    static Integer integerIn(const std::string& where, const Json& value, Integer min,
                             Integer max) {
        const bool representable =
            value.is_number_unsigned()
                ? std::in_range<Integer>(value.get<std::uint64_t>())
                : value.is_number_integer() && std::in_range<Integer>(value.get<std::int64_t>());
        if (!representable || value.get<Integer>() < min || value.get<Integer>() > max)
            invalid(where, "expected an integer from " + std::to_string(min) + " to " +
                               std::to_string(max) + ", got " + shortDump(value));
        return value.get<Integer>();
    }

    const Json& m_object;
    std::string m_where;
};

// The value `read` makes of the JSON text. `read` throws Invalid at the first
// mistake; a syntax error's message is what `syntax` makes of it.
template <typename Read>
auto parseWith(std::string_view text, Read read,
               std::string (*syntax)(const Json::parse_error&) = syntaxError)
    -> Result<std::invoke_result_t<Read&, const Json&>> {
    try {
        return read(parseBounded(text));
    } catch (const Json::parse_error& failure) {
        return fail(Error{syntax(failure)});
    } catch (const Invalid& failure) {
        return fail(Error{failure.message});
    }
}

// The whole file; the error names it.
Result<std::string> readFile(const std::string& path);

// What `parse` makes of the whole file; errors name the file.
template <typename Parse>
auto loadFile(const std::string& path, Parse parse)
    -> std::invoke_result_t<Parse&, std::string_view> {
    const Result<std::string> text = readFile(path);
    if (!text)
        return fail(text.error());
    auto read = parse(*text);
    if (!read)
        return fail(Error{path + ": " + read.error().message});
    return read;
}

} // namespace marlow::jsonread
