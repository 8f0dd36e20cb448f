// SweepTracker: which of the board's sweeps a measurement takes.
//
// The board's messages carry no scan number, and a board may answer a
// start-scan command that arrives during a sweep by starting over, by
// queueing it, or by ignoring it. The tracker therefore numbers the sweeps
// it sees and gives each measurement the first sweep that begins after the
// measurement started: reports and the ScanComplete of any earlier sweep
// belong to an abandoned point and are never committed into the new one.
//
// A sweep begins with its first ScanChannel or report after the previous
// sweep's ScanComplete (or at start), or with a ScanChannel for a channel
// the running sweep has already announced: a sweep visits each channel
// once, so a repeat is a board that started over. A ScanComplete with no
// sweep running is an empty sweep, begun and ended at once. A report right
// after the measured sweep's ScanComplete, before the point is committed,
// reopens that sweep: the end waits for the next ScanComplete.
//
// Touched by the link's reader thread and by the user-interface thread;
// the caller holds the scan list's lock for every call, so the scan list and
// the sweep it holds always agree.
#pragma once

#include <bitset>
#include <cstdint>

namespace marlow {

struct ReportFate {
    // The report belongs in the scan list.
    bool keep = false;
    // The board started the measured sweep over: what the list holds is
    // from the abandoned start and is to be emptied first.
    bool restarted = false;
};

class SweepTracker {
public:
    // A measurement starts: the next sweep to begin is its sweep.
    void startMeasurement();
    // The measurement is committed or abandoned; reports are kept again as
    // they come, for nobody.
    void endMeasurement();

    // True when the board started the measured sweep over: the scan list
    // is to be emptied.
    bool scanChannel(std::uint8_t channel);
    ReportFate report();
    void scanComplete();

    bool measuring() const { return m_measuring; }
    // The measured sweep has ended and waits to be committed.
    bool measuredSweepEnded() const { return m_measuredEnded; }
    // The measurement waits for its sweep, and a sweep older than it has
    // ended since it started: a board that ignored the start-scan command
    // it got while sweeping is idle now and will not sweep unless asked
    // again.
    bool boardIdleBeforeSweep() const;

private:
    // Begins the next sweep; true when that abandons a running measured
    // sweep.
    bool beginSweep();

    std::uint64_t m_sweep = 0;
    bool m_open = false;
    std::bitset<256> m_announced;

    bool m_measuring = false;
    std::uint64_t m_measuredSweep = 0;
    bool m_measuredEnded = false;
    bool m_olderSweepEnded = false;
};

} // namespace marlow
