// Putting the Wi-Fi board together; see WifiBoard.h.
#include "wifi/WifiBoard.h"

#include "wifi/Capabilities.h"
#include "wifi/NetworkManagerRescan.h"

namespace marlow::wifi {
namespace {

constexpr std::size_t BoardTextLength = 31;

// The surveyor who named an interface reads its name in the message, even
// when the failure came before any interface was looked at.
Error namingInterface(Error error, const std::string& interfaceName) {
    if (!interfaceName.empty() && error.message.find(interfaceName) == std::string::npos)
        error.message = interfaceName + ": " + error.message;
    return error;
}

} // namespace

Result<std::unique_ptr<WifiBoard>> WifiBoard::open(WifiBoardOptions options) {
    ScannerConfig config;
    config.interface = options.interfaceName;
    config.timeLimit = options.sweepLimit;
    config.sysfsRoot = options.sysfsRoot;
    config.mayTrigger = options.mayTrigger ? *options.mayTrigger : holdsNetAdmin();
    Result<std::unique_ptr<NetlinkTransport>> transport = options.openTransport();
    if (!transport)
        return fail(namingInterface(transport.error(), config.interface));
    Result<std::unique_ptr<AdapterScanner>> scanner =
        openAdapterScanner(config, std::move(transport).value());
    if (!scanner)
        return fail(namingInterface(scanner.error(), config.interface));
    // NetworkManager needs the adapter's name, which the scanner has just
    // chosen. Where it does not run or know the adapter, the sweeps wait
    // for the system's own scans.
    std::unique_ptr<Rescanner> rescanner;
    if (!*config.mayTrigger) {
        Result<std::unique_ptr<Rescanner>> manager =
            connectNetworkManager((*scanner)->adapter().name, options.networkManagerBus);
        if (manager) {
            rescanner = std::move(manager).value();
            (*scanner)->useRescanner(*rescanner);
        }
    }
    return std::unique_ptr<WifiBoard>(
        new WifiBoard(std::move(rescanner), std::move(scanner).value(), options));
}

WifiBoard::WifiBoard(std::unique_ptr<Rescanner> rescanner, std::unique_ptr<AdapterScanner> scanner,
                     const WifiBoardOptions& options)
    : m_rescanner(std::move(rescanner)), m_scanner(std::move(scanner)),
      m_modeDescription(m_scanner->modeDescription()), m_startMode(m_scanner->mode()),
      m_server(std::make_unique<board::BoardServer>(
          boardTextsFor(m_scanner->adapter()),
          std::make_unique<WifiRadio>(*m_scanner, options.bands, options.onSweep), options.line)) {}

WifiBoard::~WifiBoard() {
    m_server->stop();
}

board::BoardConfig boardTextsFor(const Adapter& adapter) {
    board::BoardConfig texts;
    texts.firmware =
        (adapter.driver.empty() ? std::string("Wi-Fi") : adapter.driver).substr(0, BoardTextLength);
    texts.serial = adapter.name.substr(0, BoardTextLength);
    return texts;
}

} // namespace marlow::wifi
