// The tests' own handheld: framing, receive rules and the pty client.
#include "Handheld.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace marlow::sim::test {
namespace {

constexpr std::size_t PayloadLimit = 8192;
// Only a guard against a hang: a correct simulator answers in well under it.
constexpr std::chrono::seconds ReadGuard{20};

} // namespace

Bytes frameOf(std::uint8_t type, const Bytes& payload) {
    Bytes out = {0x11, 0x12, type};
    if (type == 0x11)
        out.push_back(0x14);
    for (std::uint8_t byte : payload) {
        out.push_back(byte);
        if (byte == 0x11)
            out.push_back(0x14);
    }
    out.insert(out.end(), {0x11, 0x13});
    return out;
}

void PrintTo(const Message& message, std::ostream* out) {
    *out << "type " << int(message.type) << " [";
    char hex[4];
    for (std::size_t i = 0; i < message.payload.size() && i < 16; ++i) {
        std::snprintf(hex, sizeof hex, i == 0 ? "%02x" : " %02x", message.payload[i]);
        *out << hex;
    }
    *out << (message.payload.size() > 16 ? " ...]" : "]");
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

void HandheldParser::feed(std::span<const std::uint8_t> bytes) {
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
                m_messages.push_back(m_current);
            if (byte == 0x14 && m_current.payload.size() < PayloadLimit)
                m_current.payload.push_back(0x11);
            else if (byte == 0x14)
                m_overflow = true;
            break;
        }
    }
}

void HandheldParser::timeOut() {
    m_state = State::Sync1;
}

std::vector<Message> messagesIn(std::span<const std::uint8_t> stream) {
    HandheldParser parser;
    parser.feed(stream);
    return parser.messages();
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

PtyClient::PtyClient(const std::string& devicePath) {
    m_fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios settings{};
    if (m_fd >= 0 && ::tcgetattr(m_fd, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(m_fd, TCSANOW, &settings);
    }
}

PtyClient::~PtyClient() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void PtyClient::send(const Bytes& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (written > 0)
            done += static_cast<std::size_t>(written);
        else if (written < 0 && errno != EAGAIN && errno != EINTR)
            return;
    }
}

bool PtyClient::readSome() {
    pollfd fd{m_fd, POLLIN, 0};
    if (::poll(&fd, 1, 100) <= 0)
        return false;
    std::uint8_t buffer[4096];
    const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
    if (count <= 0)
        return false;
    const std::span received(buffer, static_cast<std::size_t>(count));
    m_parser.feed(received);
    m_unclaimed.insert(m_unclaimed.end(), received.begin(), received.end());
    return true;
}

std::vector<Message>
PtyClient::readUntil(const std::function<bool(const std::vector<Message>&)>& done) {
    const auto deadline = std::chrono::steady_clock::now() + ReadGuard;
    std::vector<Message> fresh;
    for (;;) {
        const auto& all = m_parser.messages();
        fresh.assign(all.begin() + static_cast<std::ptrdiff_t>(m_delivered), all.end());
        if (done(fresh) || std::chrono::steady_clock::now() > deadline)
            break;
        readSome();
    }
    m_delivered += fresh.size();
    return fresh;
}

std::vector<Message> PtyClient::readThrough(std::uint8_t type) {
    return readUntil([type](const std::vector<Message>& messages) {
        return std::any_of(messages.begin(), messages.end(),
                           [type](const Message& m) { return m.type == type; });
    });
}

Bytes PtyClient::readBytes(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + ReadGuard;
    while (m_unclaimed.size() < count && std::chrono::steady_clock::now() < deadline)
        readSome();
    Bytes out;
    out.swap(m_unclaimed);
    return out;
}

} // namespace marlow::sim::test
