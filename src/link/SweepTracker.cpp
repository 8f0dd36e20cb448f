// Numbering the board's sweeps; see SweepTracker.h.
#include "SweepTracker.h"

namespace marlow {

void SweepTracker::startMeasurement() {
    m_measuring = true;
    m_measuredSweep = m_sweep + 1;
    m_measuredEnded = false;
    m_olderSweepEnded = false;
}

void SweepTracker::endMeasurement() {
    m_measuring = false;
    m_measuredEnded = false;
    m_olderSweepEnded = false;
}

bool SweepTracker::beginSweep() {
    ++m_sweep;
    m_open = true;
    m_announced.reset();
    // The measured sweep began and had not ended: the board gave it up for
    // this one, which began after the measurement too.
    if (m_measuring && !m_measuredEnded && m_sweep > m_measuredSweep) {
        m_measuredSweep = m_sweep;
        return true;
    }
    return false;
}

bool SweepTracker::scanChannel(std::uint8_t channel) {
    bool restarted = false;
    if (!m_open || m_announced.test(channel))
        restarted = beginSweep();
    m_announced.set(channel);
    return restarted;
}

ReportFate SweepTracker::report() {
    ReportFate fate;
    if (!m_open) {
        if (m_measuring && m_measuredEnded && m_sweep == m_measuredSweep) {
            m_open = true;
            m_measuredEnded = false;
        } else {
            fate.restarted = beginSweep();
        }
    }
    fate.keep = !m_measuring || m_sweep == m_measuredSweep;
    return fate;
}

void SweepTracker::scanComplete() {
    if (!m_open)
        beginSweep();
    m_open = false;
    m_announced.reset();
    if (!m_measuring)
        return;
    if (m_sweep == m_measuredSweep)
        m_measuredEnded = true;
    else if (m_sweep < m_measuredSweep)
        m_olderSweepEnded = true;
}

bool SweepTracker::boardIdleBeforeSweep() const {
    return m_measuring && m_sweep < m_measuredSweep && m_olderSweepEnded && !m_open;
}

} // namespace marlow
