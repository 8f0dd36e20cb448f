// What the board tools (boardsim, wifiboard) share once their board serves:
// lines on standard input tell it where the surveyor stands ("at X Y", in
// floor-plan pixels, acknowledged on stdout with "position X Y"), and the
// tool serves until its input ends or SIGINT or SIGTERM arrives.
#pragma once

#include "base/Result.h"
#include "board/BoardServer.h"

#include <optional>
#include <string_view>

namespace marlow::console {

// "at X Y", with finite numbers.
std::optional<board::SurveyPosition> parsePositionCommand(std::string_view line);

// SIGINT and SIGTERM, blocked in every thread started after it is made and
// read from a descriptor instead, so that a stop ends serving in order.
class StopSignals {
public:
    static Result<StopSignals> block();
    StopSignals(StopSignals&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
    StopSignals& operator=(StopSignals&&) = delete;
    ~StopSignals();

    int fd() const { return m_fd; }

private:
    explicit StopSignals(int fd) : m_fd(fd) {}
    int m_fd;
};

// Takes the position commands from stdin until it ends or a stop signal
// arrives; `tool` names the program in its complaints about other lines.
void serveConsole(board::BoardServer& board, const StopSignals& stop, std::string_view tool);

} // namespace marlow::console
