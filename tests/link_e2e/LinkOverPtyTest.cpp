// The real link end to end: LinkSession, SerialPort and AnalyzerLink on a
// pseudo-terminal, with the board simulator at the far end injecting every
// fault it has. The start-up bytes on the wire, the handshake, and a scan.
#include "Frames.h"
#include "OfficeScan.h"
#include "board/OfficeScenario.h"
#include "board/Simulator.h"
#include "link/serial/LinkSession.h"
#include "link/serial/SysfsRegistry.h"
#include "protocol/Protocol.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <mutex>

namespace marlow::e2e {
namespace {

struct LinkOverPty : ::testing::Test, LinkEvents, LinkMessages {
    void notifyDraw() override {}
    void warnLowBattery() override {}
    void showError(const char* text, const std::string&) override { errors.emplace_back(text); }
    // The port's threads call the fixture: they end before it goes.
    void TearDown() override { session.stop(); }

    bool boardHasRead(const test::Bytes& bytes) {
        std::lock_guard lock(mutex);
        return std::search(received.begin(), received.end(), bytes.begin(), bytes.end()) !=
               received.end();
    }

    std::mutex mutex;
    test::Bytes received; // every byte the board has read
    std::vector<std::string> errors;
    MonotonicSecondsClock clock;
    SharedRecordList scanList;
    LinkSession session{*this, scanList, *this, clock};
    // The board, unpaced and with every fault. Last, so that its thread is
    // joined before the log goes.
    std::unique_ptr<board::BoardServer> simulator = board::makeSimulator({
        .scenario = board::officeScenario(),
        .line = {.pacing = false,
                 .faults = {board::AllFaults.begin(), board::AllFaults.end()},
                 .onReceived =
                     [this](std::span<const std::uint8_t> bytes) {
                         std::lock_guard lock(mutex);
                         received.insert(received.end(), bytes.begin(), bytes.end());
                     }},
    });
};

TEST_F(LinkOverPty, KeepAliveFirstThenTheHandshakeAndAScanFullOfFaultsThatFillsTheScanList) {
    const Result<void> started = simulator->startOnPseudoTerminal();
    ASSERT_TRUE(started) << started.error().message;
    simulator->setSurveyPosition(NearOfficeAp);
    // With the real start-up pause. A command sent before the board has the
    // handshake's last message could take its place in the outbox.
    session.start(SysfsRegistry(), {simulator->devicePath()}, {});
    ASSERT_TRUE(session.portOpen());
    ASSERT_TRUE(waitUntil([&] {
        return boardHasRead(test::frameBytes(msg::Mode, std::array{msg::ModeAfterHandshake}));
    }));
    AnalyzerLink& link = session.link();
    ASSERT_FALSE(link.scanDone.load());
    ASSERT_EQ(link.sendCommand(msg::StartScan), 1);
    ASSERT_TRUE(waitUntil([&] { return link.scanDone.load(); }));
    EXPECT_EQ(link.scanChannel.load(), board::LastChannel);

    char text[FramedLink::TextSize];
    link.copyFirmwareText(text);
    EXPECT_STREQ(text, "1.07");
    link.copySerialText(text);
    EXPECT_STREQ(text, "TB-000417");
    // Faults report a phantom transmitter 02:FA:17:00:00:0k, k = 1 + the
    // fault's place in the list. Dropped frames and a capture too short for
    // its fixed fields leave no record; a capture longer than the element
    // area, or shorter than it claims, still names its transmitter. The
    // faults take nothing from the board's noise: the access points are
    // heard exactly as without them.
    std::vector<ScanRecord> real;
    scanList.withLock([&](const RecordList& list) {
        for (const SurveyRecord& r : list) {
            const std::string mac(textOf(r.macText));
            EXPECT_TRUE(!mac.starts_with("02FA17") || mac == "02FA17000006" ||
                        mac == "02FA17000007")
                << mac;
            if (!mac.starts_with("02FA17"))
                real.emplace_back(mac, std::string(textOf(r.ssid)), r.channel, r.sampleCount,
                                  r.rssi);
        }
    });
    EXPECT_EQ(real, OfficeScanNearAp);

    // Once both have stopped, everything the link sent has been read. The
    // reader's first pass sends the keep-alive; the firmware request follows
    // the start-up pause.
    session.stop();
    simulator->stop();
    ASSERT_GE(received.size(), 7u);
    EXPECT_EQ(test::Bytes(received.begin(), received.begin() + 7),
              (test::Bytes{0x00, 0x00, 0x11, 0x12, 0x01, 0x11, 0x13}));
    EXPECT_EQ(test::framesIn(received),
              (std::vector<test::Frame>{{msg::FirmwareRequest, {}},
                                        {msg::SerialRequest, {}},
                                        {msg::Mode, {msg::ModeAfterHandshake}},
                                        {msg::Command, {msg::StartScan}}}));
    EXPECT_TRUE(errors.empty());
}

} // namespace
} // namespace marlow::e2e
