// Link start-up and stop.
#include "LinkSession.h"

#include "PortDiscovery.h"

#include <thread>

namespace marlow {

LinkSession::LinkSession(LinkEvents& events, SharedRecordList& scanList, LinkMessages& messages,
                         SecondsClock& clock)
    : m_link(events, scanList), m_messages(messages), m_clock(clock) {}

LinkSession::~LinkSession() {
    stop();
}

void LinkSession::start(const DriverRegistry& registry, const LinkStartOptions& options,
                        const std::function<void()>& repaint) {
    m_device = options.device.empty() ? devicePathForPort(discoverPort(registry)) : options.device;
    // The port attaches itself to the link as its sink before its reader
    // starts and detaches itself when it is destroyed, so an earlier port
    // goes first.
    stop();
    m_port = std::make_unique<SerialPort>(m_link, m_device, m_messages, m_clock);
    std::this_thread::sleep_for(options.startPause);
    m_link.requestFirmwareVersion();
    if (repaint)
        repaint();
}

void LinkSession::stop() {
    m_port.reset();
}

} // namespace marlow
