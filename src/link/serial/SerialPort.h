// The serial port of the analyzer link and its two worker threads: the
// reader feeds the link's receive parser one byte at a time and sends a
// keep-alive after silence, the writer sends what the link queues in the
// single-slot outbox.
#pragma once

#include "ByteStream.h"
#include "LinkMessages.h"
#include "SecondsClock.h"
#include "link/ByteSink.h"
#include "link/FramedLink.h"
#include "protocol/Protocol.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace marlow {

class SerialPort final : public ByteSink {
public:
    // One whole frame of the handheld's.
    static constexpr std::size_t OutboxSize = frame::MaxFrame;
    static constexpr auto ReadTimeout = std::chrono::milliseconds(251);
    static constexpr auto WriteWait = std::chrono::milliseconds(1000);
    // After a read that failed (the device is gone), so the reader does not spin.
    static constexpr auto FailedReadPause = std::chrono::milliseconds(100);
    // A keep-alive goes out once the clock is more than this past the last traffic.
    static constexpr std::int64_t SilenceSeconds = 10;
    static constexpr const char* ReaderThreadName = "link-reader";
    static constexpr const char* WriterThreadName = "link-writer";

    // Opens the device; on success starts the reader and then the writer.
    SerialPort(FramedLink& framedLink, const std::string& device, LinkMessages& messages,
               SecondsClock& clock);
    // Runs over a stream that is already open; null means no port.
    SerialPort(FramedLink& framedLink, std::unique_ptr<ByteStream> stream, SecondsClock& clock);
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Replaces the outbox with the first min(length, 128) bytes and wakes the
    // writer. Returns 1; waits at most for the writer to copy the outbox out.
    int send(const std::uint8_t* bytes, std::size_t length) override;

    // Ends both threads, waits for them, then closes the port. Idempotent.
    void stop();
    bool isOpen() const { return portHandle != nullptr; }

private:
    void readerLoop();
    void writerLoop();

    FramedLink& link;
    SecondsClock& m_clock;
    std::unique_ptr<ByteStream> portHandle;

    std::mutex m_outboxMutex; // guards outbox, outboxLength, writeRequest
    std::condition_variable m_writeRequestChanged;
    bool writeRequest = false;
    std::array<std::uint8_t, OutboxSize> outbox{};
    std::size_t outboxLength = 0;
    std::atomic<bool> stopRequested{false}; // set under m_outboxMutex

    // Reads are one byte long; the byte stays for parse's next call.
    std::array<std::uint8_t, 1> readBuffer{};
    std::atomic<std::int64_t> lastTrafficTime{0};
    std::atomic<std::int64_t> clockTime{0};

    std::thread readerThread;
    std::thread writerThread;
};

} // namespace marlow
