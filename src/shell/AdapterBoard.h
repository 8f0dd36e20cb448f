// The board played with this computer's own Wi-Fi adapter (marlow --wifi),
// run in this process on a pseudo-terminal, as the demo runs its simulated
// board.
#pragma once

#include "base/Result.h"
#include "shell/CommandLine.h"
#include "wifi/WifiBoard.h"

#include <memory>

namespace marlow {

// Finds the adapter the options name and serves it. A failure's message is
// one line naming the interface, for the surveyor.
Result<std::unique_ptr<wifi::WifiBoard>> startAdapterBoard(const StartOptions& options,
                                                           wifi::WifiRadio::SweepObserver onSweep);

} // namespace marlow
