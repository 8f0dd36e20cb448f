// Starting and stopping the analyzer link in one place: the link object with
// its event target and scan list, the serial port (found, opened, threads
// running), the start-up pause and the first request to the board.
#pragma once

#include "DriverRegistry.h"
#include "LinkMessages.h"
#include "SecondsClock.h"
#include "SerialPort.h"
#include "link/AnalyzerLink.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace marlow {

struct LinkStartOptions {
    // The device to open; empty: find it through the registry.
    std::string device;
    // Between the port's opening and the firmware request, so that the
    // reader's first keep-alive goes out before the request.
    std::chrono::milliseconds startPause{1000};
};

class LinkSession {
public:
    // `messages` and `clock` must outlive the session.
    LinkSession(LinkEvents& events, SharedRecordList& scanList, LinkMessages& messages,
                SecondsClock& clock);
    ~LinkSession();
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    // Finds (unless named) and opens the port, starts its threads, pauses,
    // asks the board for its firmware version, then calls `repaint`. When the
    // port cannot be opened the user has been told and the link runs on
    // without a board. A second start replaces the port.
    void start(const DriverRegistry& registry, const LinkStartOptions& options,
               const std::function<void()>& repaint);
    // Stops the port's threads and closes the port. The link stays.
    void stop();

    AnalyzerLink& link() { return m_link; }
    // The device the last start opened, or tried to.
    const std::string& device() const { return m_device; }
    bool portOpen() const { return m_port && m_port->isOpen(); }

private:
    AnalyzerLink m_link;
    LinkMessages& m_messages;
    SecondsClock& m_clock;
    std::unique_ptr<SerialPort> m_port;
    std::string m_device;
};

} // namespace marlow
