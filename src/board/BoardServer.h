// Serves a board on a serial line: a pseudo-terminal that it opens itself,
// or a pair of file descriptors handed to it (a socket pair or two pipes in
// tests and in-process demos). A thread of its own reads what the handheld
// sends and writes the board's answers, paced to the line rate when asked
// (a pseudo-terminal does not pace) and with the configured faults. While a
// sweep runs it looks for the handheld's bytes between the sweep's steps,
// so that a second start-scan command starts the sweep over. stop() wakes
// the thread wherever it waits, joins it and closes the pseudo-terminal.
#pragma once

#include "base/Result.h"
#include "board/Board.h"
#include "board/Faults.h"
#include "board/PseudoTerminal.h"
#include "board/SerialDevice.h"
#include "board/Transmission.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <thread>

namespace marlow::board {

// 38400 bit/s with a start and a stop bit per byte.
constexpr double LineBytesPerSecond = 3840.0;

struct ServerConfig {
    bool pacing = true;
    double bytesPerSecond = LineBytesPerSecond;
    // Sent once per sweep; see FaultInjector.
    FaultSet faults;
    // A line monitor: sees each run of bytes the board reads, on the serving
    // thread, before the board answers it.
    std::function<void(std::span<const std::uint8_t>)> onReceived;
};

class BoardServer {
public:
    BoardServer(BoardConfig board, std::unique_ptr<RadioSource> radio, ServerConfig config);
    ~BoardServer();
    BoardServer(const BoardServer&) = delete;
    BoardServer& operator=(const BoardServer&) = delete;

    Result<void> startOnPseudoTerminal();
    // A real serial line, at the board's settings; see SerialDevice. The
    // line's own speed paces it, so serve it without pacing.
    Result<void> startOnSerialDevice(const std::string& path);
    // The descriptors stay the caller's and are made non-blocking. Serving
    // ends when the read side reaches end of file.
    Result<void> startOnDescriptors(int readFd, int writeFd);
    void stop();

    // The slave device of the pseudo-terminal, for the handheld to open, or
    // the serial device served.
    const std::string& devicePath() const;
    // Tells the radio; may be called from any thread.
    void setSurveyPosition(SurveyPosition position) { m_radio->setSurveyPosition(position); }

private:
    using Clock = std::chrono::steady_clock;
    // How a wait ended: the descriptor is ready, the time is up, or stop()
    // was called (or the descriptor is unusable).
    enum class Wait { Ready, TimedOut, Stopped };

    Result<void> start(int readFd, int writeFd);
    void run();
    bool transmit(const Transmission& transmission);
    bool writeAll(const std::uint8_t* bytes, std::size_t length);
    // Waits for the descriptor, or just the time when fd is -1.
    Wait waitFor(int fd, short events, int timeoutMs);
    bool sleepUntil(Clock::time_point when);

    std::unique_ptr<RadioSource> m_radio;
    Board m_board;
    // What the board writes goes into m_pending, through m_faulty when there
    // are faults to inject.
    Transmission m_pending;
    FaultInjector m_faulty;
    BoardLine& m_line;
    bool m_pacing;
    double m_bytesPerSecond;
    std::function<void(std::span<const std::uint8_t>)> m_onReceived;
    std::unique_ptr<PseudoTerminal> m_terminal;
    std::unique_ptr<SerialDevice> m_serial;
    int m_readFd = -1;
    int m_writeFd = -1;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    std::thread m_thread;
    // When the line is free for the next byte, with pacing.
    Clock::time_point m_lineFree;
};

} // namespace marlow::board
