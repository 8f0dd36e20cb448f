// The board on its pseudo-terminal, fed and answered by the test.
#include "BoardLine.h"

#include <chrono>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace marlow::test {

using namespace std::chrono_literals;

sim::BoardConfig boardHearing(double x, double y, int rssi, int channel) {
    sim::BoardConfig config;
    config.scenario.pathLoss.noiseDb = 0;
    config.scenario.pathLoss.referenceDbm = -30;
    // Within a metre of the transmitter the path loss is the reference's.
    config.scenario.accessPoints.push_back(
        {{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}, "lab", channel, x, y, rssi + 30.0});
    return config;
}

BoardLine::BoardLine(sim::BoardConfig config) : m_board(std::move(config)) {
    sim::PseudoTerminal::Opened opened = sim::PseudoTerminal::open();
    if (!opened.terminal)
        throw std::runtime_error("no pseudo-terminal: " + opened.error);
    m_terminal = std::move(opened.terminal);
}

BoardLine::~BoardLine() = default;

sim::Frame BoardLine::awaitRequest(std::uint8_t type) {
    const auto giveUpAt = std::chrono::steady_clock::now() + 20s;
    for (;;) {
        while (!m_received.empty()) {
            sim::Frame frame = std::move(m_received.front());
            m_received.pop_front();
            if (frame.type == type)
                return frame;
        }
        if (std::chrono::steady_clock::now() > giveUpAt)
            throw std::runtime_error("no request of type " + std::to_string(type));
        pollfd in{m_terminal->master(), POLLIN, 0};
        if (::poll(&in, 1, 50) <= 0)
            continue;
        std::uint8_t buffer[512];
        const ssize_t count = ::read(m_terminal->master(), buffer, sizeof buffer);
        if (count <= 0)
            continue;
        const std::span<const std::uint8_t> bytes(buffer, static_cast<std::size_t>(count));
        for (sim::Frame& frame : m_requests.feed(bytes))
            m_received.push_back(std::move(frame));
        const sim::Transmission answer = m_board.receive(bytes);
        for (sim::Frame& frame : m_answerFrames.feed(answer.bytes()))
            m_answers.push_back(std::move(frame));
    }
}

void BoardLine::sendAnswers(std::size_t count) {
    for (; count > 0 && !m_answers.empty(); --count) {
        const sim::Frame& frame = m_answers.front();
        const sim::Bytes bytes = sim::encodeFrame(frame.type, frame.payload);
        std::size_t written = 0;
        while (written < bytes.size()) {
            const ssize_t n =
                ::write(m_terminal->master(), bytes.data() + written, bytes.size() - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
                continue;
            }
            pollfd out{m_terminal->master(), POLLOUT, 0};
            ::poll(&out, 1, 50);
        }
        m_answers.pop_front();
    }
}

void BoardLine::answerHandshake() {
    awaitRequest(sim::FirmwareRequestType);
    sendAnswers();
    awaitRequest(sim::SerialRequestType);
    sendAnswers();
}

} // namespace marlow::test
