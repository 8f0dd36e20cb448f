// The tests' own handheld: receive rules, report reading, the line client
// and the lab scenario.
#include "Handheld.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace marlow::sim::test {

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

void HandheldParser::feed(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t PayloadLimit = 8192;
    for (std::uint8_t byte : bytes) {
        switch (m_state) {
        case State::Sync1:
            m_state = byte == 0x11 ? State::Sync2 : State::Sync1;
            break;
        case State::Sync2:
            m_state = byte == 0x12 ? State::Type : State::Sync1;
            m_current = {};
            m_overflow = false;
            break;
        case State::Type:
            m_current.type = byte;
            m_state = byte == 0x11 ? State::TypeEscape : State::Payload;
            break;
        case State::TypeEscape:
            m_state = State::Payload;
            break;
        case State::Payload:
            if (byte == 0x11)
                m_state = State::Escape;
            else if (m_current.payload.size() < PayloadLimit)
                m_current.payload.push_back(byte);
            else
                m_overflow = true;
            break;
        case State::Escape:
            m_state = byte == 0x14 ? State::Payload : State::Sync1;
            if (byte == 0x13 && !m_overflow)
                messages.push_back(m_current);
            if (byte == 0x14 && m_current.payload.size() < PayloadLimit)
                m_current.payload.push_back(0x11);
            else if (byte == 0x14)
                m_overflow = true;
            break;
        }
    }
}

std::vector<Message> messagesIn(std::span<const std::uint8_t> stream) {
    HandheldParser parser;
    parser.feed(stream);
    return parser.messages;
}

ReportView viewReport(const Bytes& payload) {
    ReportView view;
    if (payload.size() < 4)
        return view;
    view.rssi = static_cast<std::int8_t>(payload[1]);
    view.declaredLength = payload[2] | (payload[3] << 8);
    view.capture.assign(payload.begin() + 4, payload.end());
    const Bytes& capture = view.capture;
    if (capture.size() >= 20) {
        char text[13];
        std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", capture[14], capture[15],
                      capture[16], capture[17], capture[18], capture[19]);
        view.mac = text;
    }
    const std::size_t end = std::min(view.declaredLength, capture.size());
    for (std::size_t at = 40; at + 2 <= end && at + 2 + capture[at + 1] <= end;
         at += 2 + capture[at + 1]) {
        const auto data = capture.begin() + static_cast<std::ptrdiff_t>(at + 2);
        if (capture[at] == 0)
            view.ssid.assign(data, data + capture[at + 1]);
        if (capture[at] == 3 && capture[at + 1] >= 1)
            view.channel = *data;
    }
    return view;
}

// Left as the simulator set it: its line must already be raw.
Line::Line(const std::string& devicePath)
    : m_fd(::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}

Line::~Line() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void Line::send(const Bytes& bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t written = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (written > 0)
            done += static_cast<std::size_t>(written);
        else if (written < 0 && errno != EAGAIN && errno != EINTR)
            return;
    }
}

Bytes Line::readUntil(const std::function<bool(const Bytes&)>& done) {
    // Only a guard against a hang: a correct simulator answers well inside it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    Bytes received;
    while (!done(received) && std::chrono::steady_clock::now() < deadline) {
        pollfd readable{m_fd, POLLIN, 0};
        std::uint8_t buffer[4096];
        const ssize_t count =
            ::poll(&readable, 1, 100) == 1 ? ::read(m_fd, buffer, sizeof buffer) : 0;
        if (count > 0)
            received.insert(received.end(), buffer, buffer + count);
        else if (count == 0 && readable.revents != 0)
            break; // the other end has closed
    }
    return received;
}

std::vector<Message> Line::readThrough(std::uint8_t type) {
    return messagesIn(readUntil([type](const Bytes& bytes) {
        const std::vector<Message> messages = messagesIn(bytes);
        return std::any_of(messages.begin(), messages.end(),
                           [type](const Message& m) { return m.type == type; });
    }));
}

BoardConfig labConfig() {
    BoardConfig config;
    config.scenario.seed = 7;
    config.scenario.accessPoints = {
        {{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}, "lab", 6, 120, 80, 0},
        {{0x00, 0x11, 0x22, 0x33, 0x44, 0xAA}, "guest", 1, 600, 400, 0},
        {{0x00, 0x11, 0x22, 0x33, 0xEE, 0xEE}, "far", 11, 100000, 0, 0},
    };
    return config;
}

std::vector<Message> scanAt(Board& board, Point at) {
    board.setSurveyPosition(at);
    return messagesIn(board.receive(encodeFrame(3, Bytes{7})).bytes());
}

} // namespace marlow::sim::test
