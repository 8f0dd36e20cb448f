// Pseudo-terminal, clock and collectors for the serial port tests.
#include "SerialTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace marlow::test {

using namespace std::chrono_literals;

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto giveUpAt = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUpAt)
            return condition();
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

ByteVector readFrom(ByteStream& stream, std::size_t count, std::chrono::milliseconds limit) {
    ByteVector bytes;
    while (bytes.size() < count) {
        const ReadResult got = stream.readByte(limit);
        if (got.status != ReadStatus::Byte)
            break;
        bytes.push_back(got.byte);
    }
    return bytes;
}

PseudoTerminal::PseudoTerminal() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0)
        throw std::runtime_error("cannot create a pseudo-terminal");
    m_slavePath = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &raw) != 0)
        throw std::runtime_error("cannot open " + m_slavePath);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave, TCSANOW, &raw);
}

PseudoTerminal::~PseudoTerminal() {
    hangUp();
    ::close(m_slave);
}

void PseudoTerminal::write(const ByteVector& bytes) {
    if (::write(m_master, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("short write to the pseudo-terminal");
}

ByteVector PseudoTerminal::read(std::size_t count, std::chrono::milliseconds limit) {
    ByteVector bytes;
    while (bytes.size() < count) {
        pollfd ready{m_master, POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(limit.count())) <= 0)
            break;
        std::uint8_t byte = 0;
        if (::read(m_master, &byte, 1) != 1)
            break;
        bytes.push_back(byte);
    }
    return bytes;
}

void PseudoTerminal::hangUp() {
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

void FakeClock::waitForReaderPasses() {
    const std::int64_t target = m_samples + 2;
    waitUntil([&] { return m_samples >= target; });
}

void MessageLog::showError(const char* text) {
    std::lock_guard lock(m_mutex);
    m_texts.emplace_back(text);
}

std::vector<std::string> MessageLog::texts() const {
    std::lock_guard lock(m_mutex);
    return m_texts;
}

std::string CountingLink::firmware() const {
    char text[TextSize];
    copyFirmwareText(text);
    return text;
}

ByteVector textFrame(std::uint8_t type, const std::string& text) {
    ByteVector frame;
    frame.reserve(text.size() + 5);
    for (const std::uint8_t byte : {std::uint8_t{0x11}, std::uint8_t{0x12}, type})
        frame.push_back(byte);
    for (const char c : text)
        frame.push_back(static_cast<std::uint8_t>(c));
    frame.push_back(0x11);
    frame.push_back(0x13);
    return frame;
}

} // namespace marlow::test
