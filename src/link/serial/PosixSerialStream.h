// The analyzer board's serial port on a POSIX terminal device: opened for
// this program alone and set to 38400 bit/s, 8N1, raw, no flow control.
#pragma once

#include "ByteStream.h"
#include "LinkMessages.h"
#include "base/Result.h"

#include <memory>
#include <string>

namespace marlow {

class PosixSerialStream final : public ByteStream {
public:
    // Opens and configures `device`. A failure's message is the text the
    // user is shown: CannotOpenMessage or SetCommStateMessage.
    static Result<std::unique_ptr<PosixSerialStream>> open(const std::string& device);
    ~PosixSerialStream() override;
    PosixSerialStream(const PosixSerialStream&) = delete;
    PosixSerialStream& operator=(const PosixSerialStream&) = delete;

    std::size_t write(const std::uint8_t* bytes, std::size_t length) override;
    ReadResult readByte(std::chrono::milliseconds timeout) override;
    void purge() override;

private:
    explicit PosixSerialStream(int fd) : m_fd(fd) {}

    int m_fd;
};

} // namespace marlow
