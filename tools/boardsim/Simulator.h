// Runs a Board on a serial line: a pseudo-terminal that it opens itself, or
// a pair of file descriptors handed to it (a socket pair or two pipes in
// tests and in-process demos). A thread of its own reads what the handheld
// sends and writes the board's answers, paced to the line rate when asked
// (a pseudo-terminal does not pace). stop() wakes the thread wherever it
// waits, joins it and closes the pseudo-terminal.
#pragma once

#include "boardsim/Board.h"
#include "boardsim/PseudoTerminal.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>

namespace marlow::sim {

// 38400 bit/s with a start and a stop bit per byte.
constexpr double LineBytesPerSecond = 3840.0;

struct SimulatorConfig {
    BoardConfig board;
    bool pacing = true;
    double bytesPerSecond = LineBytesPerSecond;
    // A line monitor: sees each run of bytes the board reads, on the serving
    // thread, before the board answers it.
    std::function<void(std::span<const std::uint8_t>)> onReceived;
};

class Simulator {
public:
    explicit Simulator(SimulatorConfig config);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Each returns an empty text when serving has started, else the reason.
    [[nodiscard]] std::string startOnPseudoTerminal();
    // The descriptors stay the caller's and are made non-blocking. Serving
    // ends when the read side reaches end of file.
    [[nodiscard]] std::string startOnDescriptors(int readFd, int writeFd);
    void stop();

    // The slave device of the pseudo-terminal, for the handheld to open.
    const std::string& devicePath() const;
    void setSurveyPosition(Point position) { m_board.setSurveyPosition(position); }

private:
    using Clock = std::chrono::steady_clock;

    std::string start(int readFd, int writeFd);
    void run();
    bool transmit(const Transmission& transmission);
    bool writeAll(const std::uint8_t* bytes, std::size_t length);
    // Waits for the descriptor (or just the time, when fd is -1); false
    // when stop() was called.
    bool waitFor(int fd, short events, int timeoutMs);
    bool sleepUntil(Clock::time_point when);

    Board m_board;
    bool m_pacing;
    double m_bytesPerSecond;
    std::function<void(std::span<const std::uint8_t>)> m_onReceived;
    std::unique_ptr<PseudoTerminal> m_terminal;
    int m_readFd = -1;
    int m_writeFd = -1;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    std::thread m_thread;
    // When the line is free for the next byte, with pacing.
    Clock::time_point m_lineFree;
};

} // namespace marlow::sim
