// The board for the end-to-end tests: the simulator on a real
// pseudo-terminal, unpaced, with a log of every byte it has read from the
// line.
#pragma once

#include "boardsim/Simulator.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace marlow::e2e {

constexpr std::chrono::seconds Patience{60};

// The sample office's scenario, nothing else switched on.
sim::BoardConfig officeBoard();

class SimulatedBoard {
public:
    explicit SimulatedBoard(sim::BoardConfig config);
    SimulatedBoard(const SimulatedBoard&) = delete;
    SimulatedBoard& operator=(const SimulatedBoard&) = delete;

    // Empty when the board serves, else the reason.
    [[nodiscard]] std::string start() { return m_simulator.startOnPseudoTerminal(); }
    // Joins the serving thread: nothing is read after it.
    void stop() { m_simulator.stop(); }
    const std::string& devicePath() const { return m_simulator.devicePath(); }
    void setSurveyPosition(sim::Point at) { m_simulator.setSurveyPosition(at); }

    sim::Bytes received() const;
    // Waits until what the board has read satisfies `condition`.
    bool waitForReceived(const std::function<bool(const sim::Bytes&)>& condition);
    // Waits until the board has read the frame's bytes.
    bool waitForFrame(std::uint8_t type, const sim::Bytes& payload = {});
    // What the board has read, as frames (bytes outside frames skipped).
    std::vector<sim::Frame> framesReceived() const;

private:
    void log(std::span<const std::uint8_t> bytes);

    mutable std::mutex m_mutex;
    std::condition_variable m_grew;
    sim::Bytes m_received;
    // Last, so that its thread is joined before the log goes.
    sim::Simulator m_simulator;
};

} // namespace marlow::e2e
