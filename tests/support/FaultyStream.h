// A byte stream that spoils the traffic of another one on purpose: it drops,
// corrupts or holds back chosen bytes in either direction, to show how the
// link copes with a bad line. It also counts read calls, so that a test can
// tell a reader that waits from one that spins.
#pragma once

#include "link/serial/ByteStream.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace marlow {

enum class FaultDirection { Incoming, Outgoing };
enum class FaultKind {
    Drop,    // the byte is lost
    Corrupt, // the byte is XORed with `mask`
    Stall,   // nothing moves for `stall` before the byte (or until release())
};

struct Fault {
    FaultDirection direction;
    FaultKind kind;
    std::size_t index; // position of the byte in its direction, from 0
    std::chrono::milliseconds stall{0};
    std::uint8_t mask = 0xFF;
};

class FaultyStream final : public ByteStream {
public:
    FaultyStream(std::unique_ptr<ByteStream> inner, std::vector<Fault> faults);

    std::size_t write(const std::uint8_t* bytes, std::size_t length) override;
    ReadResult readByte(std::chrono::milliseconds timeout) override;
    void purge() override;

    // Ends the current stall, and any later one, at once.
    void release();
    std::size_t readCalls() const { return m_readCalls.load(); }
    std::size_t stallsBegun() const { return m_stallsBegun.load(); }

private:
    const Fault* faultAt(FaultDirection direction, std::size_t index) const;
    // Waits until `until` or release(); returns true when the stall is over.
    bool holdUntil(std::chrono::steady_clock::time_point until,
                   std::chrono::steady_clock::time_point giveUpAt);
    std::size_t writeClean(const std::uint8_t* bytes, std::size_t length);

    std::unique_ptr<ByteStream> m_inner;
    const std::vector<Fault> m_faults;
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_releasedAll = false;
    std::atomic<std::size_t> m_readCalls{0};
    std::atomic<std::size_t> m_stallsBegun{0};

    // Incoming side, touched only by the reading thread.
    std::size_t m_inIndex = 0;
    bool m_inStallStarted = false;
    std::chrono::steady_clock::time_point m_inStallEnd{};
    // Outgoing side, touched only by the writing thread.
    std::size_t m_outIndex = 0;
};

} // namespace marlow
