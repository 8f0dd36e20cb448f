// The simulated analyzer board on a pseudo-terminal, driven step by step by
// the test: what the program sends is read and decoded here (so the test
// sees every request on the wire) and handed to the board, and the board's
// answers are written back one frame at a time when the test says so.
#pragma once

#include "boardsim/Board.h"
#include "boardsim/PseudoTerminal.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace marlow::test {

// One access point right at (x, y) heard at exactly `rssi` (no noise).
sim::BoardConfig boardHearing(double x, double y, int rssi, int channel);

class BoardLine {
public:
    explicit BoardLine(sim::BoardConfig config);
    ~BoardLine();

    // The device the program opens.
    const std::string& device() const { return m_terminal->slavePath(); }
    // Reads until a request of this type arrives and returns it; the
    // board's answer to everything read is queued. Throws after a generous
    // guard time.
    sim::Frame awaitRequest(std::uint8_t type);
    // Writes the next `count` queued answer frames (all by default).
    void sendAnswers(std::size_t count = SIZE_MAX);
    std::size_t pendingAnswers() const { return m_answers.size(); }
    // The next queued answer frame.
    const sim::Frame& nextAnswer() const { return m_answers.front(); }

    // Where the surveyor stands, as the demo tells its board.
    void setSurveyPosition(std::int32_t x, std::int32_t y) {
        m_board.setSurveyPosition({static_cast<double>(x), static_cast<double>(y)});
    }

    // The firmware and serial texts of the start-up handshake, answered.
    void answerHandshake();

private:
    std::unique_ptr<sim::PseudoTerminal> m_terminal;
    sim::Board m_board;
    sim::FrameDecoder m_requests;
    sim::FrameDecoder m_answerFrames;
    std::deque<sim::Frame> m_received;
    std::deque<sim::Frame> m_answers;
};

} // namespace marlow::test
