// The closing summary: reading and saving against their baselines, timed
// with the two runs interleaved so that both see the same state of the
// machine, and the store's bytes per record.
#pragma once

#include "BenchSite.h"

namespace marlow::bench {

// Prints the table to standard output. Throws std::runtime_error when an
// operation fails.
void printSummary(const BenchSite& site);

} // namespace marlow::bench
