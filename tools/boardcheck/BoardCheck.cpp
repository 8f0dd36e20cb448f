// Running the board check over the link session; see BoardCheck.h.
#include "BoardCheck.h"

#include "link/serial/LinkSession.h"
#include "link/serial/PortDiscovery.h"
#include "protocol/Protocol.h"

#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>

namespace marlow::check {
namespace {

// The serial text's answer queues the Mode message; the outbox holds one
// message, so a command sent at once could take its place before the writer
// has sent it.
constexpr std::chrono::milliseconds ModeSettle{250};

// What the check needs of the link, as it stood when the link last reported
// a change.
struct LinkView {
    std::string firmware;
    std::string serial;
    bool scanRequested = false;
    bool scanDone = false;
};

LinkView viewOf(const AnalyzerLink& link) {
    char text[FramedLink::TextSize];
    LinkView view;
    link.copyFirmwareText(text);
    view.firmware = text;
    link.copySerialText(text);
    view.serial = text;
    view.scanRequested = link.scanRequested;
    view.scanDone = link.scanDone;
    return view;
}

// Takes the view on the reader thread, after the link has handled the
// message and sent whatever reply it makes: once the view shows the serial
// text, the Mode message has been queued.
class CheckEvents final : public LinkEvents {
public:
    // Before the link starts.
    void watch(const AnalyzerLink& link) { m_link = &link; }

    void notifyDraw() override {
        LinkView view = viewOf(*m_link);
        {
            std::lock_guard lock(m_mutex);
            m_view = std::move(view);
        }
        m_changed.notify_all();
    }
    void warnLowBattery() override { std::fputs("WARNING: Product Battery is Low!\n", stderr); }

    // The latest view, once it satisfies `done` or once `limit` has passed.
    LinkView waitFor(const std::function<bool(const LinkView&)>& done,
                     std::chrono::milliseconds limit) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, limit, [&] { return done(m_view); });
        return m_view;
    }

private:
    const AnalyzerLink* m_link = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    LinkView m_view;
};

// Port errors come while the session starts, on the checking thread.
class CheckMessages final : public LinkMessages {
public:
    void showError(const char* text, const std::string& detail) override {
        m_text = detail.empty() ? std::string(text) : std::string(text) + " (" + detail + ")";
    }
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
};

bool greeted(const LinkView& view) {
    return !view.firmware.empty() && !view.serial.empty();
}

bool scanned(const LinkView& view) {
    return view.scanRequested && view.scanDone;
}

std::string within(std::chrono::milliseconds limit) {
    char text[32];
    std::snprintf(text, sizeof text, " within %g s", static_cast<double>(limit.count()) / 1000);
    return text;
}

} // namespace

Result<BoardAnswers> runBoardCheck(const CheckOptions& options, const DriverRegistry& registry) {
    CheckEvents events;
    CheckMessages messages;
    MonotonicSecondsClock clock;
    SharedRecordList scanList;
    LinkSession session(events, scanList, messages, clock);
    events.watch(session.link());

    // The session finds the port itself; the name is for the messages.
    const std::string device =
        options.device.empty() ? devicePathForPort(discoverPort(registry)) : options.device;
    LinkStartOptions start;
    start.device = options.device;
    session.start(registry, start, {});

    if (!session.portOpen())
        return fail(
            Error{device + ": " + (messages.text().empty() ? CannotOpenMessage : messages.text())});

    const auto handshakeLimit = options.timeout.value_or(HandshakeTimeout);
    const LinkView answered = events.waitFor(greeted, handshakeLimit);
    if (!greeted(answered))
        return fail(Error{answered.firmware.empty()
                              ? "no answer from the board on " + device + within(handshakeLimit)
                              : "the board on " + device + " sent no serial number" +
                                    within(handshakeLimit)});
    BoardAnswers result;
    result.firmware = answered.firmware;
    result.serial = answered.serial;
    if (!options.scan)
        return result;

    std::this_thread::sleep_for(ModeSettle);
    // The start-scan command starts a measurement as the program's do: the
    // list is emptied and only a sweep begun after the command counts, so
    // neither a report nor a ScanComplete the board sent before it was asked
    // to scan ends up in this scan.
    session.link().sendCommand(msg::StartScan);
    const auto scanLimit = options.timeout.value_or(ScanTimeout);
    if (!scanned(events.waitFor(scanned, scanLimit)))
        return fail(
            Error{"the board on " + device + " did not complete the scan" + within(scanLimit)});
    result.records = scanList.withLock(
        [](const RecordList& list) { return std::vector<SurveyRecord>(list.begin(), list.end()); });
    return result;
}

} // namespace marlow::check
