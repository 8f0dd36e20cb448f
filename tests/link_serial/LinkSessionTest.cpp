// Link start-up and stop end to end over a pseudo-terminal: the port found
// through the registry or named, the firmware request after the pause, the
// handshake with the board, and stopping while the link lives on.
#include "link/serial/LinkSession.h"

#include "SerialTestSupport.h"
#include "link/serial/PortDiscovery.h"

#include <gtest/gtest.h>

namespace marlow {
namespace {

using namespace std::chrono_literals;
using test::ByteVector;

// A registry with one Quatech adapter whose port is `device`.
class OneAdapterRegistry final : public DriverRegistry {
public:
    explicit OneAdapterRegistry(std::string device) : m_device(std::move(device)) {}
    std::optional<std::string> readString(const std::string& key,
                                          const std::string& valueName) const override {
        if (key != activeDriverKey(12))
            return std::nullopt;
        return valueName == "PnpId" ? "Quatech SSU-100" : m_device;
    }

private:
    std::string m_device;
};

struct SessionFixture : ::testing::Test {
    test::CountingEvents events;
    SharedRecordList scans;
    test::MessageLog log;
    test::FakeClock clock{5}; // no keep-alive until the test moves the clock
    int repaints = 0;
    std::function<void()> repaint = [this] { ++repaints; };
};

using LinkSessionTest = SessionFixture;

TEST_F(LinkSessionTest, StartsFoundOrNamedPortAndRunsTheHandshake) {
    for (const bool named : {false, true}) {
        test::PseudoTerminal board;
        const OneAdapterRegistry registry(named ? "/dev/marlow-not-this-one" : board.slavePath());
        LinkSession session(events, scans, log, clock);
        clock.set(5);
        session.start(registry, {named ? board.slavePath() : "", 10ms}, repaint);
        ASSERT_TRUE(session.portOpen());
        EXPECT_EQ(repaints, named ? 2 : 1);
        EXPECT_EQ(board.read(5), (ByteVector{0x11, 0x12, 0x01, 0x11, 0x13}));

        board.write(test::textFrame(1, "1.07"));
        EXPECT_EQ(board.read(5), (ByteVector{0x11, 0x12, 0x02, 0x11, 0x13}));
        board.write(test::textFrame(2, "TB-000417"));
        EXPECT_EQ(board.read(6), (ByteVector{0x11, 0x12, 0x08, 0x01, 0x11, 0x13}));
        char text[FramedLink::TextSize];
        session.link().copyFirmwareText(text);
        EXPECT_STREQ(text, "1.07");
        session.link().copySerialText(text);
        EXPECT_STREQ(text, "TB-000417");

        clock.set(16); // eleven seconds after the last traffic
        EXPECT_EQ(board.read(2), (ByteVector{0x00, 0x00}));

        session.stop();
        EXPECT_FALSE(session.portOpen());
        EXPECT_EQ(session.link().requestFirmwareVersion(), 0);
        session.link().copyFirmwareText(text);
        EXPECT_STREQ(text, "1.07");
    }
    EXPECT_TRUE(log.texts().empty());
}

TEST_F(LinkSessionTest, RunsOnWithoutABoard) {
    const OneAdapterRegistry registry("/dev/marlow-no-such-port");
    LinkSession session(events, scans, log, clock);
    session.start(registry, {"", 10ms}, repaint);
    EXPECT_FALSE(session.portOpen());
    EXPECT_EQ(log.texts(), std::vector<std::string>{"Cannot Open Connection To Board."});
    EXPECT_EQ(repaints, 1);
    // The request still lands in the outbox, which nobody writes.
    EXPECT_EQ(session.link().requestFirmwareVersion(), 1);
}

} // namespace
} // namespace marlow
