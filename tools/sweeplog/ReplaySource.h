// Recorded sweeps played back as the adapter's: each sweep() returns the
// next recorded sweep at once, and after the last one starts again from the
// first, so that a short recording serves a survey of any length.
#pragma once

#include "wifi/Sweep.h"

#include <cstddef>
#include <vector>

namespace marlow::sweeplog {

class ReplaySource final : public wifi::SweepSource {
public:
    // With no sweeps, every sweep hears nothing.
    explicit ReplaySource(std::vector<wifi::Sweep> sweeps);

    wifi::Sweep sweep() override;
    // A replayed sweep never waits: there is nothing to end.
    void interrupt() override {}

private:
    const std::vector<wifi::Sweep> m_sweeps;
    std::size_t m_next = 0;
};

} // namespace marlow::sweeplog
