// The shared pieces of reading the tools' JSON formats.
#include "JsonRead.h"

#include "base/HexDigit.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace marlow::jsonread {
namespace {

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

double numberIn(const std::string& where, const Json& value, double min, double max) {
    if (!value.is_number() || value.get<double>() < min || value.get<double>() > max)
        invalid(where, "expected a number from " + formatNumber(min) + " to " + formatNumber(max) +
                           ", got " + shortDump(value));
    return value.get<double>();
}

std::string boundedTextIn(const std::string& where, const Json& value, std::size_t maxLength) {
    std::string text = Fields::textIn(where, value);
    if (text.size() > maxLength)
        invalid(where, "longer than " + std::to_string(maxLength) + " bytes");
    if (text.find('\0') != std::string::npos)
        invalid(where, "contains a zero byte");
    return text;
}

} // namespace

void invalid(const std::string& where, const std::string& problem) {
    throw Invalid{where.empty() ? problem : where + ": " + problem};
}

Json parseBounded(std::string_view text) {
    // The top-level value opens at depth 0, so depth MaxDepth opens a
    // container one level too deep.
    const auto refuseDeep = [](int depth, Json::parse_event_t event, Json&) {
        const bool opens =
            event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start;
        if (opens && depth >= MaxDepth)
            invalid("", "nested deeper than " + std::to_string(MaxDepth) + " levels");
        return true;
    };
    return Json::parse(text.begin(), text.end(), refuseDeep);
}

std::string shortDump(const Json& value) {
    if (value.is_object())
        return "an object";
    if (value.is_array())
        return "an array";
    constexpr std::size_t Longest = 40;
    std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    if (text.size() > Longest)
        text = text.substr(0, Longest) + "...";
    return text;
}

std::string syntaxError(const Json::parse_error& failure) {
    const std::string text = failure.what();
    const std::size_t end = text.find("] ");
    return end == std::string::npos ? text : text.substr(end + 2);
}

std::string hexText(std::span<const std::uint8_t> bytes, char separator, HexCase digits) {
    const char* const hex = digits == HexCase::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const std::uint8_t byte : bytes) {
        if (separator != '\0' && !text.empty())
            text += separator;
        text += hex[byte >> 4];
        text += hex[byte & 15];
    }
    return text;
}

std::optional<Bytes> hexBytes(std::string_view text, char separator) {
    const std::size_t step = separator == '\0' ? 2 : 3;
    if ((text.size() + step - 2) % step != 0)
        return std::nullopt;
    Bytes bytes;
    bytes.reserve(text.size() / step + 1);
    for (std::size_t at = 0; at < text.size(); at += step) {
        const int high = hexDigit(text[at]);
        const int low = hexDigit(text[at + 1]);
        if (high < 0 || low < 0 || (step == 3 && at + 2 < text.size() && text[at + 2] != separator))
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::optional<Mac> parseMac(std::string_view text) {
    const std::optional<Bytes> bytes = hexBytes(text, ':');
    Mac mac{};
    if (!bytes || bytes->size() != mac.size())
        return std::nullopt;
    std::copy(bytes->begin(), bytes->end(), mac.begin());
    return mac;
}

Fields::Fields(const Json& object, std::string where, std::initializer_list<std::string_view> keys)
    : m_object(object), m_where(std::move(where)) {
    if (!m_object.is_object())
        invalid(m_where, "expected an object, got " + shortDump(m_object));
    for (const auto& [key, value] : m_object.items()) {
        bool known = false;
        for (const std::string_view allowed : keys)
            known = known || key == allowed;
        if (!known)
            invalid(m_where, "unknown key \"" + key + "\"");
    }
}

const Json* Fields::optional(const char* key) const {
    const auto found = m_object.find(key);
    return found == m_object.end() ? nullptr : &*found;
}

const Json& Fields::required(const char* key) const {
    if (const Json* value = optional(key))
        return *value;
    invalid(m_where, "missing \"" + std::string(key) + "\"");
}

std::string Fields::name(const char* key) const {
    return m_where.empty() ? key : m_where + "." + key;
}

std::string Fields::name(const char* key, std::size_t index) const {
    return name(key) + "[" + std::to_string(index) + "]";
}

double Fields::number(const char* key) const {
    const Json& value = required(key);
    if (!value.is_number() || !std::isfinite(value.get<double>()))
        invalid(name(key), "expected a number, got " + shortDump(value));
    return value.get<double>();
}

double Fields::number(const char* key, double min, double max) const {
    return numberIn(name(key), required(key), min, max);
}

double Fields::number(const char* key, double fallback, double min, double max) const {
    const Json* value = optional(key);
    return value ? numberIn(name(key), *value, min, max) : fallback;
}

bool Fields::boolean(const char* key) const {
    const Json& value = required(key);
    if (!value.is_boolean())
        invalid(name(key), "expected true or false, got " + shortDump(value));
    return value.get<bool>();
}

std::string Fields::text(const char* key) const {
    return textIn(name(key), required(key));
}

std::string Fields::text(const char* key, std::size_t maxLength) const {
    return boundedTextIn(name(key), required(key), maxLength);
}

std::string Fields::text(const char* key, const std::string& fallback,
                         std::size_t maxLength) const {
    const Json* value = optional(key);
    return value ? boundedTextIn(name(key), *value, maxLength) : fallback;
}

std::string Fields::textIn(const std::string& where, const Json& value) {
    if (!value.is_string())
        invalid(where, "expected a string, got " + shortDump(value));
    return value.get<std::string>();
}

const Json& Fields::array(const char* key) const {
    const Json& value = required(key);
    if (!value.is_array())
        invalid(name(key), "expected an array, got " + shortDump(value));
    return value;
}

Result<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::error_code ignored;
    if (!in || std::filesystem::is_directory(path, ignored))
        return fail(Error::fromErrno(path + ": cannot read", in ? EISDIR : errno));
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace marlow::jsonread
