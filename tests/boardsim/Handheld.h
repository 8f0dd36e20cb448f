// The handheld's end of the line for the simulator's tests, written apart
// from the simulator so that each checks the other: a frame encoder, a
// receive parser that follows the handheld's rules (a mismatching byte is
// consumed, a time-out inside a frame drops it, payloads over 8192 bytes
// are dropped) and a client on the simulator's pseudo-terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace marlow::sim::test {

using Bytes = std::vector<std::uint8_t>;

struct Message {
    std::uint8_t type = 0;
    Bytes payload;

    bool operator==(const Message&) const = default;
};

// For test failures: "type 15 [00 ce 47 00 ...]".
void PrintTo(const Message& message, std::ostream* out);

Bytes frameOf(std::uint8_t type, const Bytes& payload = {});
Bytes concat(std::initializer_list<Bytes> parts);

class HandheldParser {
public:
    void feed(std::span<const std::uint8_t> bytes);
    // The line was quiet for longer than the handheld's 251 ms byte time-out.
    void timeOut();
    const std::vector<Message>& messages() const { return m_messages; }

private:
    enum class State { Sync1, Sync2, Type, TypeEscape, Payload, Escape };
    State m_state = State::Sync1;
    Message m_current;
    bool m_overflow = false;
    std::vector<Message> m_messages;
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

class PtyClient {
public:
    explicit PtyClient(const std::string& devicePath);
    ~PtyClient();
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    void send(const Bytes& bytes);
    // Reads until the messages so far satisfy done; gives up after a
    // generous failure guard and returns what arrived.
    std::vector<Message> readUntil(const std::function<bool(const std::vector<Message>&)>& done);
    std::vector<Message> readThrough(std::uint8_t type);
    // Reads until at least count bytes have arrived since the last call.
    Bytes readBytes(std::size_t count);

private:
    bool readSome();

    int m_fd = -1;
    HandheldParser m_parser;
    std::size_t m_delivered = 0;
    Bytes m_unclaimed;
};

} // namespace marlow::sim::test
