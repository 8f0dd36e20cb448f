// The board's end of a real serial line: a terminal device opened for this
// program alone and set to the line's settings (38400 bit/s, 8 data bits,
// no parity, one stop bit, raw, no flow control), so that this computer can
// serve another device as its analyzer board over a cable.
#pragma once

#include "base/Result.h"

#include <memory>
#include <string>

namespace marlow::board {

class SerialDevice {
public:
    static Result<std::unique_ptr<SerialDevice>> open(const std::string& path);
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // Non-blocking, close-on-exec.
    int fd() const { return m_fd; }
    const std::string& path() const { return m_path; }

private:
    SerialDevice(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}

    int m_fd;
    std::string m_path;
};

} // namespace marlow::board
