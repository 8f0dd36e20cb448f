// The process's resident memory, for the benchmarks and the soak run that
// report memory held.
#pragma once

#include <fstream>
#include <string>

namespace marlow::bench {

// Resident memory in kilobytes, from /proc; 0 when it cannot be read.
inline long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

} // namespace marlow::bench
