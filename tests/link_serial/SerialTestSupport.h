// Helpers for the serial port tests: a pseudo-terminal that plays the board,
// a clock the test moves, and collectors for the link's messages and events.
#pragma once

#include "link/AnalyzerLink.h"
#include "link/LinkEvents.h"
#include "link/serial/ByteStream.h"
#include "link/serial/LinkMessages.h"
#include "link/serial/SecondsClock.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace marlow::test {

using ByteVector = std::vector<std::uint8_t>;

// Polls `condition` until it holds or `limit` passes; returns its last value.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(20));

// Up to `count` bytes from `stream`, stopping early after `limit` of silence.
ByteVector readFrom(ByteStream& stream, std::size_t count,
                    std::chrono::milliseconds limit = std::chrono::seconds(20));

// The board's end of a pseudo-terminal; the port opens slavePath(). A slave
// descriptor stays open in raw mode, so the master keeps working while the
// port under test closes and reopens the device.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& slavePath() const { return m_slavePath; }
    int slaveFd() const { return m_slave; }
    void write(const ByteVector& bytes);
    ByteVector read(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(20));
    // The board goes away: the port sees a hang-up.
    void hangUp();

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
};

class FakeClock final : public SecondsClock {
public:
    explicit FakeClock(std::int64_t start) : m_now(start) {}
    std::int64_t nowSeconds() override {
        ++m_samples;
        return m_now;
    }
    void set(std::int64_t now) { m_now = now; }
    // Returns once the reader has sampled the clock on two more passes, so
    // that its keep-alive test has seen the time set before the call.
    void waitForReaderPasses();

private:
    std::atomic<std::int64_t> m_now;
    std::atomic<std::int64_t> m_samples{0};
};

class MessageLog final : public LinkMessages {
public:
    void showError(const char* text) override;
    std::vector<std::string> texts() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_texts;
};

class CountingEvents final : public LinkEvents {
public:
    void notifyDraw() override { ++draws; }
    void warnLowBattery() override {}
    std::atomic<int> draws{0};
};

// The real link, counting its keep-alives.
class CountingLink final : public AnalyzerLink {
public:
    using AnalyzerLink::AnalyzerLink;
    int keepAlive() override {
        ++keepAlives;
        return AnalyzerLink::keepAlive();
    }
    std::string firmware() const;
    std::atomic<int> keepAlives{0};
};

// The frame the board sends for a message with a text payload.
ByteVector textFrame(std::uint8_t type, const std::string& text);

} // namespace marlow::test
