// What the command line can change about a survey report.
#pragma once

#include <cstddef>

namespace marlow::tws {

struct ReportOptions {
    // The signal, in dBm, a point should have for its coverage to count.
    int requirementDbm = -67;
    // How many of the most heard SSIDs get a page of their own.
    std::size_t maxSsids = 8;
};

// The bounds the command line accepts.
constexpr int MinRequirementDbm = -120;
constexpr int MaxRequirementDbm = 0;
constexpr std::size_t MaxSsidPages = 100;

} // namespace marlow::tws
