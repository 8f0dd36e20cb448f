// A tool run as a child process for the end-to-end tests, with its standard
// input, output and error on pipes that the test holds.
#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace marlow::e2e {

class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args);
    // Kills the child if it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void writeInput(std::string_view text);
    // The next line of standard output, without its newline; empty at its
    // end or after a generous guard time.
    std::string readLine();

    struct Finished {
        int exitCode = -1; // -1 when killed by a signal
        std::string out;
        std::string err;
    };
    // Ends standard input, reads both outputs to their end and reaps the
    // child. After a generous guard time the child is killed.
    Finished finish();

private:
    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    int m_err = -1;
    std::string m_outSoFar;
};

} // namespace marlow::e2e
