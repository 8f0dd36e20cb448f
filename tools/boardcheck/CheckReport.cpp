// Plain and JSON output of the board check; see CheckReport.h.
#include "CheckReport.h"

#include <cstdio>
#include <string_view>

namespace marlow::check {
namespace {

std::string hexEscape(const char* format, unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, format, byte);
    return text;
}

// Board texts and SSIDs are bytes off the air: control characters would
// upset the terminal.
std::string printable(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        out += byte < 0x20 || byte == 0x7F ? hexEscape("\\x%02x", byte) : std::string(1, c);
    }
    return out;
}

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            // Not UTF-8 necessarily: each byte stands for itself.
            out += hexEscape("\\u%04x", byte);
        } else {
            out += c;
        }
    }
    out += '"';
}

} // namespace

std::string plainReport(const BoardAnswers& answers) {
    std::string out = "firmware: " + printable(answers.firmware) + "\n" +
                      "serial: " + printable(answers.serial) + "\n";
    if (!answers.records)
        return out;
    out += "access points: " + std::to_string(answers.records->size()) + "\n";
    for (const SurveyRecord& record : *answers.records) {
        char line[256];
        std::snprintf(line, sizeof line, "%s  %-32s  channel %2d  samples %3d  rssi %4d\n",
                      record.macText, printable(textOf(record.ssid)).c_str(), record.channel,
                      static_cast<int>(record.sampleCount), static_cast<int>(averageRssi(record)));
        out += line;
    }
    return out;
}

std::string jsonReport(const BoardAnswers& answers) {
    std::string out = "{\"firmware\":";
    appendJsonString(out, answers.firmware);
    out += ",\"serial\":";
    appendJsonString(out, answers.serial);
    if (answers.records) {
        out += ",\"records\":[";
        const char* separator = "";
        for (const SurveyRecord& record : *answers.records) {
            out += separator;
            out += "{\"mac\":";
            appendJsonString(out, textOf(record.macText));
            out += ",\"ssid\":";
            appendJsonString(out, textOf(record.ssid));
            out += ",\"channel\":" + std::to_string(record.channel);
            out += ",\"samples\":" + std::to_string(record.sampleCount);
            out += ",\"rssiSum\":" + std::to_string(record.rssi);
            out += ",\"rssi\":" + std::to_string(averageRssi(record)) + "}";
            separator = ",";
        }
        out += "]";
    }
    out += "}\n";
    return out;
}

} // namespace marlow::check
