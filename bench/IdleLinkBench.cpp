// Measures what an idle analyzer link costs: the serial port runs over a
// pseudo-terminal whose far end never speaks, and for each of the port's two
// threads this counts wake-ups (context switches) and CPU time over a window
// read from /proc/self/task. Targets: at most 5 wake-ups a second per thread
// and under 1 % of a core.
#include "link/AnalyzerLink.h"
#include "link/serial/SecondsClock.h"
#include "link/serial/SerialPort.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdlib.h>
#include <string>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace {

using namespace marlow;

struct Quiet final : LinkEvents, LinkMessages {
    void notifyDraw() override {}
    void warnLowBattery() override {}
    void showError(const char* text, const std::string& detail) override {
        std::fprintf(stderr, "%s %s\n", text, detail.c_str());
    }
};

struct TaskSample {
    long long switches = 0; // voluntary and involuntary context switches
    long long cpuTicks = 0; // user and system time, in clock ticks
};

std::string firstLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// The link threads of this process by name.
std::map<std::string, TaskSample> sampleLinkThreads() {
    std::map<std::string, TaskSample> samples;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        const std::string name = firstLine(task.path() / "comm");
        if (name != SerialPort::ReaderThreadName && name != SerialPort::WriterThreadName)
            continue;
        TaskSample& sample = samples[name];
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            std::istringstream fields(line);
            std::string key;
            long long value = 0;
            if (fields >> key >> value && key.ends_with("ctxt_switches:"))
                sample.switches += value;
        }
        // Fields 14 and 15 of stat, counted after the parenthesised name.
        const std::string stat = firstLine(task.path() / "stat");
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string skipped;
        for (int field = 3; field < 14; ++field)
            fields >> skipped;
        long long user = 0, system = 0;
        fields >> user >> system;
        sample.cpuTicks = user + system;
    }
    return samples;
}

double processCpuSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    Quiet quiet;
    SharedRecordList scans;
    AnalyzerLink link(quiet, scans);
    MonotonicSecondsClock clock;
    SerialPort port(link, ::ptsname(master), quiet, clock);
    if (!port.isOpen())
        return 1;
    std::this_thread::sleep_for(std::chrono::seconds(1)); // past the first keep-alive

    const auto before = sampleLinkThreads();
    const double processCpuBefore = processCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const auto after = sampleLinkThreads();
    const double processCpu = processCpuSeconds() - processCpuBefore;
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double ticksPerSecond = static_cast<double>(::sysconf(_SC_CLK_TCK));

    std::printf("idle link over %.1f s (targets: <= 5 wake-ups/s, < 1 %% of a core)\n", elapsed);
    std::printf("%-12s %12s %10s\n", "thread", "wake-ups/s", "CPU %");
    bool withinTargets = after.size() == 2;
    for (const auto& [name, end] : after) {
        const TaskSample begin = before.count(name) ? before.at(name) : TaskSample{};
        const double wakeups = static_cast<double>(end.switches - begin.switches) / elapsed;
        const double cpu =
            100.0 * static_cast<double>(end.cpuTicks - begin.cpuTicks) / ticksPerSecond / elapsed;
        std::printf("%-12s %12.2f %10.3f\n", name.c_str(), wakeups, cpu);
        withinTargets = withinTargets && wakeups <= 5.0 && cpu < 1.0;
    }
    // The main thread sleeps meanwhile: this is the two threads' CPU, to the
    // nanosecond rather than the clock tick of the per-thread figures.
    std::printf("%-12s %12s %10.3f\n", "process", "", 100.0 * processCpu / elapsed);
    withinTargets = withinTargets && processCpu / elapsed < 0.01;
    port.stop();
    ::close(master);
    std::printf("%s\n", withinTargets ? "within targets" : "TARGETS MISSED");
    return withinTargets ? 0 : 1;
}
