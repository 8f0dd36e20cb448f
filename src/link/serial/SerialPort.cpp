// The reader and writer threads of the serial port. stop() joins both before
// the port is closed, so no read or write ever runs on a closed port, and the
// writer copies the outbox out under its lock, so send() never changes bytes
// that are being written. Neither loop allocates.
#include "SerialPort.h"

#include "PosixSerialStream.h"

#include <algorithm>
#include <cstring>
#include <pthread.h>

namespace marlow {
namespace {

// The opened device, or null once the user has been told why there is none.
std::unique_ptr<ByteStream> openOrTell(const std::string& device, LinkMessages& messages) {
    Result<std::unique_ptr<PosixSerialStream>> opened = PosixSerialStream::open(device);
    if (opened)
        return std::move(opened).value();
    const int code = opened.error().systemError;
    messages.showError(opened.error().message.c_str(),
                       device + (code ? std::string(": ") + std::strerror(code) : std::string()));
    return nullptr;
}

} // namespace

SerialPort::SerialPort(FramedLink& framedLink, const std::string& device, LinkMessages& messages,
                       SecondsClock& clock)
    : SerialPort(framedLink, openOrTell(device, messages), clock) {}

SerialPort::SerialPort(FramedLink& framedLink, std::unique_ptr<ByteStream> stream,
                       SecondsClock& clock)
    : link(framedLink), m_clock(clock), portHandle(std::move(stream)) {
    // Attached before the reader starts, so that its first keep-alive has
    // somewhere to go.
    link.attachSink(this);
    if (!portHandle)
        return;
    portHandle->purge();
    readerThread = std::thread(&SerialPort::readerLoop, this);
    writerThread = std::thread(&SerialPort::writerLoop, this);
}

SerialPort::~SerialPort() {
    stop();
    link.attachSink(nullptr);
}

int SerialPort::send(const std::uint8_t* bytes, std::size_t length) {
    const std::size_t count = std::min(length, OutboxSize);
    {
        std::lock_guard lock(m_outboxMutex);
        std::copy_n(bytes, count, outbox.begin());
        outboxLength = count;
        writeRequest = true;
    }
    m_writeRequestChanged.notify_one();
    return 1;
}

void SerialPort::stop() {
    {
        std::lock_guard lock(m_outboxMutex);
        stopRequested = true;
    }
    m_writeRequestChanged.notify_one();
    if (readerThread.joinable())
        readerThread.join();
    if (writerThread.joinable())
        writerThread.join();
    portHandle.reset();
}

void SerialPort::readerLoop() {
    ::pthread_setname_np(::pthread_self(), ReaderThreadName); // for ps, top and measurements
    link.setParserState(ParserState::Reset);
    int count = 0;
    while (!stopRequested) {
        if (link.parse(readBuffer.data(), count) > 0) {
            const ReadResult got = portHandle->readByte(ReadTimeout);
            count = got.status == ReadStatus::Byte ? 1 : 0;
            if (count == 1) {
                readBuffer[0] = got.byte;
                lastTrafficTime = clockTime.load();
            } else if (got.status == ReadStatus::Failed) {
                std::this_thread::sleep_for(FailedReadPause);
            }
        }
        clockTime = m_clock.nowSeconds();
        if (clockTime > lastTrafficTime + SilenceSeconds) {
            lastTrafficTime = clockTime.load();
            link.keepAlive();
        }
    }
}

void SerialPort::writerLoop() {
    ::pthread_setname_np(::pthread_self(), WriterThreadName);
    std::array<std::uint8_t, OutboxSize> pending{};
    for (;;) {
        std::size_t length = 0;
        {
            std::unique_lock lock(m_outboxMutex);
            m_writeRequestChanged.wait_for(lock, WriteWait,
                                           [&] { return writeRequest || stopRequested; });
            if (stopRequested)
                return;
            if (writeRequest) {
                std::copy_n(outbox.begin(), outboxLength, pending.begin());
                length = outboxLength;
                writeRequest = false;
            }
        }
        if (length > 0 && portHandle->write(pending.data(), length) > 0)
            lastTrafficTime = clockTime.load();
    }
}

} // namespace marlow
