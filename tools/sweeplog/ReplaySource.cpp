// Playing recorded sweeps back in order, round and round; see ReplaySource.h.
#include "ReplaySource.h"

namespace marlow::sweeplog {

ReplaySource::ReplaySource(std::vector<wifi::Sweep> sweeps) : m_sweeps(std::move(sweeps)) {}

wifi::Sweep ReplaySource::sweep() {
    if (m_sweeps.empty())
        return {};
    const wifi::Sweep& next = m_sweeps[m_next];
    // After the last sweep, the first again.
    m_next = (m_next + 1) % m_sweeps.size();
    return next;
}

} // namespace marlow::sweeplog
