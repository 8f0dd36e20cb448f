// The handheld's end of the line for the simulator's tests, written apart
// from the simulator so that each checks the other: a receive parser that
// follows the handheld's rules (a mismatching byte is consumed, a time-out
// inside a frame drops it, payloads over 8192 bytes are dropped), a reader of
// report payloads and a client on a line; and a small lab scenario.
#pragma once

#include "boardsim/Board.h"

#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace marlow::sim::test {

using Message = Frame;

Bytes concat(std::initializer_list<Bytes> parts);

class HandheldParser {
public:
    void feed(std::span<const std::uint8_t> bytes);
    // The line was quiet for longer than the handheld's 251 ms byte time-out.
    void timeOut() { m_state = State::Sync1; }
    std::vector<Message> messages;

private:
    enum class State { Sync1, Sync2, Type, TypeEscape, Payload, Escape };
    State m_state = State::Sync1;
    Message m_current;
    bool m_overflow = false;
};

std::vector<Message> messagesIn(std::span<const std::uint8_t> stream);

// A report payload's parts, read the way the handheld reads them.
struct ReportView {
    std::int8_t rssi = 0;
    std::size_t declaredLength = 0;
    Bytes capture;    // what the payload holds after the header
    std::string mac;  // "001122334455" from capture offset 14, if present
    std::string ssid; // from the SSID element, if the capture has elements
    int channel = -1; // from the DS parameter set element, -1 without one
};

ReportView viewReport(const Bytes& payload);

// The handheld's end of a line: a pseudo-terminal's slave device opened raw,
// or a descriptor taken over (one end of a socket pair). Closed with it.
class Line {
public:
    explicit Line(int fd) : m_fd(fd) {}
    explicit Line(const std::string& devicePath);
    ~Line();
    Line(const Line&) = delete;
    Line& operator=(const Line&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    void send(const Bytes& bytes);
    // Reads until what arrived satisfies done (or a generous guard time has
    // passed) and returns it.
    Bytes readUntil(const std::function<bool(const Bytes&)>& done);
    // The messages up to and including the first one of the type.
    std::vector<Message> readThrough(std::uint8_t type);

private:
    int m_fd = -1;
};

// The lab: "lab" near the top left on channel 6, "guest" across the plan on
// channel 1, "far" kilometres away on channel 11 (never heard).
constexpr const char* LabMac = "001122334455";
constexpr const char* GuestMac = "0011223344AA";
constexpr const char* FarMac = "00112233EEEE";
BoardConfig labConfig();

// The messages of one scan at the position.
std::vector<Message> scanAt(Board& board, Point at);

} // namespace marlow::sim::test
