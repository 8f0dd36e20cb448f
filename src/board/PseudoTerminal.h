// A pseudo-terminal for the board's end of the line. The handheld opens the
// slave device by its path; the board reads and writes the master. The slave
// is set raw and kept open here, so the master never reports a hang-up
// before (or between) the handheld's opens, and the handheld finds a raw
// line whatever it sets itself.
#pragma once

#include "base/Result.h"

#include <memory>
#include <string>

namespace marlow::board {

class PseudoTerminal {
public:
    static Result<std::unique_ptr<PseudoTerminal>> open();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Non-blocking, close-on-exec.
    int master() const { return m_master; }
    const std::string& slavePath() const { return m_slavePath; }

private:
    PseudoTerminal(int master, int slave, std::string slavePath)
        : m_master(master), m_slave(slave), m_slavePath(std::move(slavePath)) {}

    int m_master;
    int m_slave;
    std::string m_slavePath;
};

} // namespace marlow::board
