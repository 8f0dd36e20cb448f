// Starting the adapter's board on its pseudo-terminal.
#include "shell/AdapterBoard.h"

namespace marlow {

Result<std::unique_ptr<wifi::WifiBoard>> startAdapterBoard(const StartOptions& options,
                                                           wifi::WifiRadio::SweepObserver onSweep) {
    wifi::WifiBoardOptions wanted;
    wanted.interfaceName = options.wifiInterface;
    wanted.bands = options.bands;
    // Nothing but the pseudo-terminal between the board and the link.
    wanted.line.pacing = false;
    wanted.onSweep = std::move(onSweep);
    Result<std::unique_ptr<wifi::WifiBoard>> opened = wifi::WifiBoard::open(std::move(wanted));
    if (!opened)
        return opened;
    if (Result<void> started = (*opened)->server().startOnPseudoTerminal(); !started)
        return fail(
            Error{"cannot open a pseudo-terminal for the Wi-Fi board: " + started.error().message});
    return opened;
}

} // namespace marlow
