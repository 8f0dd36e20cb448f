// The handheld's side of an end-to-end test: the real link on a board's
// pseudo-terminal, a scan, and the scan list it leaves.
#pragma once

#include "link/serial/LinkSession.h"
#include "link/serial/SysfsRegistry.h"
#include "protocol/Protocol.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace marlow::test {

// Polls `condition` until it holds; false when it still does not after a
// minute.
inline bool eventually(const std::function<bool()>& condition) {
    const auto giveUpAt = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUpAt)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

struct Handheld final : LinkEvents, LinkMessages {
    // MAC, SSID, channel, samples and RSSI sum of a scan-list record.
    using Record = std::tuple<std::string, std::string, int, int, int>;

    void notifyDraw() override {}
    void warnLowBattery() override {}
    void showError(const char* text, const std::string&) override { errors.emplace_back(text); }

    // Opens the device and waits for the board's texts (the end of the
    // handshake).
    bool connect(const std::string& device) {
        session.start(SysfsRegistry(), {device, std::chrono::milliseconds(0)}, {});
        return eventually([&] { return !text(&AnalyzerLink::copySerialText).empty(); });
    }
    std::string text(void (AnalyzerLink::*copy)(char (&)[AnalyzerLink::TextSize]) const) {
        char copied[AnalyzerLink::TextSize]{};
        (session.link().*copy)(copied);
        return copied;
    }
    // One scan, and then the records by MAC; none when it did not end.
    std::vector<Record> scan() {
        AnalyzerLink& link = session.link();
        std::vector<Record> records;
        if (link.sendCommand(msg::StartScan) != 1 ||
            !eventually([&] { return link.scanDone.load(); }))
            return records;
        scanList.withLock([&](const RecordList& list) {
            for (const SurveyRecord& r : list)
                records.emplace_back(textOf(r.macText), textOf(r.ssid), r.channel, r.sampleCount,
                                     r.rssi);
        });
        std::sort(records.begin(), records.end());
        return records;
    }

    std::vector<std::string> errors;
    MonotonicSecondsClock clock;
    SharedRecordList scanList;
    LinkSession session{*this, scanList, *this, clock};
};

} // namespace marlow::test
