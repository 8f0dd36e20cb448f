// The byte stream under the serial port: what the reader and writer threads
// need from a line. The termios port is the real one; in the tests an
// in-memory pair and a fault-injecting wrapper stand in for it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace marlow {

enum class ReadStatus {
    Byte,     // one byte came
    TimedOut, // nothing came within the time-out
    Failed,   // the line is gone or broken (hang-up, end of file, I/O error)
};

struct ReadResult {
    ReadStatus status;
    std::uint8_t byte;
};

class ByteStream {
public:
    virtual ~ByteStream() = default;
    // Writes the bytes and returns how many went out (0 on failure). May wait
    // for room in the line's queue, but not for much longer than a second.
    virtual std::size_t write(const std::uint8_t* bytes, std::size_t length) = 0;
    // Waits at most `timeout` for one byte.
    virtual ReadResult readByte(std::chrono::milliseconds timeout) = 0;
    // Discards whatever is queued in both directions.
    virtual void purge() = 0;
};

} // namespace marlow
